#include "selector/frmBG.h"

namespace selector {
namespace {

tk::FormStyle WindowStyle() {
    tk::FormStyle style;
    style.caption = L"Murivale";
    style.border = tk::BorderStyle::FixedSingle;
    style.clientWidth = 2415;
    style.clientHeight = 2055;
    style.startPosition = tk::StartPosition::CenterScreen;
    return style;
}

}  // namespace

frmBG::frmBG()
    : tk::Form(L"frmBG", WindowStyle()),
      cmdRand(*this, L"cmdRand", L"Use Random Background", {120, 120, 2175, 375}),
      cmdBase(*this, L"cmdBase", L"Use Default Background", {120, 600, 2175, 375}),
      cmdSelect(*this, L"cmdSelect", L"Select Custom Background", {120, 1080, 2175, 375}),
      cmdCurrent(*this, L"cmdCurrent", L"Keep Current Background", {120, 1560, 2175, 375}),
      Command1(*this, L"Command1", L"", {15, 15, 2400, 2040}),
      Shape1(*this, L"Shape1", {0, 0, 2415, 2055}),
      Timer1(*this, L"Timer1", 750) {
    cmdRand.SetTabIndex(0);
    cmdRand.SetDefault(true);
    cmdBase.SetTabIndex(1);
    cmdSelect.SetTabIndex(2);
    cmdCurrent.SetTabIndex(3);
    cmdCurrent.SetCancel(true);
    Command1.SetTabIndex(4);
    Command1.SetEnabled(false);
    Command1.SetTabStop(false);
    cmdCurrent.Click = [this] { cmdCurrent_Click(); };
}

void frmBG::cmdCurrent_Click() { Unload(); }

}  // namespace selector
