// Murivale's entry point: the choice window is the start-up form.
#include "selector/frmBG.h"
#include "toolkit/App.h"

int main() {
    selector::frmBG form;
    return tk::Run(form);
}
