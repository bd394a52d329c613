#include "selector/frmLoad.h"

namespace selector {
namespace {

tk::FormStyle WindowStyle() {
    tk::FormStyle style;
    style.caption = L"Loading Murivale...";
    style.border = tk::BorderStyle::FixedToolWindow;
    style.clientWidth = 2295;
    style.clientHeight = 255;
    style.icon = false;
    style.showInTaskbar = false;
    style.startPosition = tk::StartPosition::CenterScreen;
    return style;
}

}  // namespace

frmLoad::frmLoad()
    : tk::Form(L"frmLoad", WindowStyle()), pBar(*this, L"pBar", {0, 0, 2295, 255}, 0, 100) {}

}  // namespace selector
