// Murivale's entry point: the choice window is the start-up form; its load event does the rest.
#include "common/WinApi.h"
#include "selector/frmBG.h"
#include "selector/modMain.h"
#include "toolkit/App.h"
#include "toolkit/win32/Win32Platform.h"

int main() {
    const tk::win32::Win32Platform platform;
    const tk::PlatformScope installed(platform.Get());
    selector::StartProgram(common::SystemWinApi());
    selector::frmBG form;
    return tk::Run(form);
}
