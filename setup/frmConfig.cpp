#include "setup/frmConfig.h"

namespace setup {
namespace {

tk::FormStyle WindowStyle() {
    tk::FormStyle style;
    style.caption = L"Tessaban - Setup Program for Murivale";
    style.border = tk::BorderStyle::Sizable;
    style.minButton = true;
    style.maxButton = false;
    style.clientWidth = 5415;
    style.clientHeight = 3855;
    style.startPosition = tk::StartPosition::WindowsDefault;
    return style;
}

}  // namespace

frmConfig::frmConfig()
    : tk::Form(L"frmConfig", WindowStyle()),
      cmdSet(*this, L"cmdSet", L"Accept and &Save", {3240, 3360, 2055, 375}),
      cmdCancel(*this, L"cmdCancel", L"&Cancel", {120, 3360, 1335, 375}),
      cmdAbout(*this, L"cmdAbout", L"&About", {1680, 3360, 1335, 375}),
      Label8(*this, L"Label8", L"Set folder for images to be used:", {120, 120, 5175, 255}),
      dirPath(*this, L"dirPath", {120, 480, 5175, 2115}),
      Label1(*this, L"Label1", L"Number of valid images found:", {240, 2640, 3375, 255}),
      lblImages(*this, L"lblImages", L"0", {3720, 2640, 1455, 255}),
      chkStartup(*this, L"chkStartup", L"Set &Random Wallpaper at Startup", {240, 3000, 2895, 255}),
      picSave(*this, L"picSave", {3720, 3000, 15, 15}, false),
      File1(*this, L"File1", L"*.jp*g;*.gif;*.bmp;*.dib", {3240, 2760, 615, 480}) {
    const tk::Control* order[] = {&cmdSet, &cmdCancel, &cmdAbout, &Label8, &dirPath,
                                  &Label1, &lblImages, &chkStartup, &picSave, &File1};
    for (int i = 0; i < 10; ++i) const_cast<tk::Control*>(order[i])->SetTabIndex(i);
    cmdCancel.SetCancel(true);
    lblImages.SetAlignment(tk::Align::Right);
    chkStartup.SetToolTip(L"Murivale will change your wallpaper when you log in.");
    File1.SetVisible(false);
    cmdCancel.Click = [this] { cmdCancel_Click(); };
}

void frmConfig::cmdCancel_Click() { Unload(); }

}  // namespace setup
