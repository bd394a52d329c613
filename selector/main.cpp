// Murivale's entry point: the choice window is the start-up form; its load event does the rest.
#include "selector/frmBG.h"
#include "selector/modMain.h"
#include "services/WinApi.h"
#include "toolkit/App.h"
#include "toolkit/Platform.h"
#include "toolkit/win32/Win32Platform.h"

int main() {
    const tk::win32::Win32Platform platform;
    const tk::PlatformScope installed(platform.Get());
    selector::StartProgram(services::SystemWinApi());
    selector::frmBG form;
    return tk::Run(form);
}
