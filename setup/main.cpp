// Tessaban's entry point: its only window is the start-up form.
#include "setup/frmConfig.h"
#include "toolkit/App.h"

int main() {
    setup::frmConfig form;
    return tk::Run(form);
}
