#include "selector/frmBack.h"

#include "selector/frmBG.h"
#include "selector/modMain.h"

namespace selector {
namespace {

tk::FormStyle WindowStyle() {
    tk::FormStyle style;
    style.border = tk::BorderStyle::None;
    style.windowState = tk::WindowState::Maximized;
    style.backColor = tk::kBlack;
    style.showInTaskbar = false;
    style.icon = false;
    style.startPosition = tk::StartPosition::Manual;
    return style;
}

}  // namespace

frmBack::frmBack()
    : tk::Form(L"frmBack", WindowStyle()),
      BGPic(*this, L"BGPic", {480, 240, 255, 255}),
      Timer1(*this, L"Timer1", 750) {
    BGPic.SetVisible(false);
    Timer1.Tick = [this] { Timer1_Timer(); };
}

void frmBack::Timer1_Timer() {
    Timer1.SetRunning(false);
    const SessionState& state = Murivale().state;
    if (frmBG* choice = Murivale().choice) {
        // The buttons are normally still disabled here, so the request fails; EnableButtons
        // sets the focus again once they are back.
        if (state.ChoiceMode == kChoiceCustom) {
            choice->cmdSelect.SetFocus();
        } else if (state.ChoiceMode == kChoiceRandom && !state.IsLogonRun()) {
            choice->cmdRand.SetFocus();
        }
    }
    Unload();
}

void frmBack::Form_Unload() {
    if (Murivale().state.Exiting != base::kFalse) return;
    if (frmBG* choice = Murivale().choice) choice->EnableButtons();
}

}  // namespace selector
