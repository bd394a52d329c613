// Tessaban's entry point: its only window is the start-up form.
#include "common/WinApi.h"
#include "setup/frmConfig.h"
#include "setup/modConfig.h"
#include "toolkit/App.h"

int main() {
    setup::StartSetup(common::SystemWinApi());
    setup::frmConfig form;
    return tk::Run(form);
}
