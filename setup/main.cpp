// Tessaban's entry point: its only window is the start-up form.
#include "services/WinApi.h"
#include "setup/frmConfig.h"
#include "setup/modConfig.h"
#include "toolkit/App.h"
#include "toolkit/Platform.h"
#include "toolkit/win32/Win32Platform.h"

int main() {
    const tk::win32::Win32Platform platform;
    const tk::PlatformScope installed(platform.Get());
    setup::StartSetup(services::SystemWinApi());
    setup::frmConfig form;
    return tk::Run(form);
}
