#include "selector/frmSel.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "base/Numeric.h"
#include "base/Text.h"
#include "selector/Desktop.h"
#include "selector/Wallpaper.h"
#include "selector/frmBG.h"
#include "selector/frmBack.h"
#include "selector/modMain.h"
#include "toolkit/App.h"

namespace selector {
namespace {

tk::FormStyle WindowStyle() {
    tk::FormStyle style;
    style.caption = kAppTitle;
    style.border = tk::BorderStyle::FixedSingle;
    style.clientWidth = 5175;
    style.clientHeight = 2775;
    style.startPosition = tk::StartPosition::Manual;  // placed by its load handler
    return style;
}

// HIMETRIC units taken to make one pixel in the preview's arithmetic.
constexpr double kHimetricPerPixel = 26.45;

SessionState& State() { return Murivale().state; }

// A picture's size as HIMETRIC at 96 dpi, whatever the display's resolution, so every
// resolution reports and draws what 96 dpi does; and its share of the screen in each direction.
struct PreviewScale {
    double himetricWidth = 0;
    double himetricHeight = 0;
    float rX = 0;
    float rY = 0;
};

PreviewScale ScaleFor(int width, int height) {
    PreviewScale scale;
    scale.himetricWidth = tk::PixelsToHimetric(width);
    scale.himetricHeight = tk::PixelsToHimetric(height);
    const float widthPx = static_cast<float>(scale.himetricWidth / kHimetricPerPixel);
    const float heightPx = static_cast<float>(scale.himetricHeight / kHimetricPerPixel);
    scale.rX = static_cast<float>(widthPx / (double(tk::Screen::Width()) / tk::Screen::TwipsPerPixelX()));
    scale.rY = static_cast<float>(heightPx / (double(tk::Screen::Height()) / tk::Screen::TwipsPerPixelY()));
    return scale;
}

// Whole pixels covering `twips` (either sign), with one to spare for the rounding of the drawn
// rectangle to twips; capped far above any picture side, so that no size is too large to ask.
int PixelsCovering(double twips, int twipsPerPixel) {
    const double pixels = std::ceil(std::fabs(twips) / twipsPerPixel) + 1;
    return static_cast<int>(std::min(pixels, double(tk::kMaxPictureSide) + 1));
}

}  // namespace

frmSel::frmSel()
    : tk::Form(L"frmSel", WindowStyle()),
      File1(*this, L"File1", {120, 120, 2535, 2010}),
      cmdChoose(*this, L"cmdChoose", L"Select", {120, 2280, 1215, 375}),
      cmdCancel(*this, L"cmdCancel", L"Cancel", {1440, 2280, 1215, 375}),
      picImage(*this, L"picImage", {2760, 120, 2295, 1720}),
      Label4(*this, L"Label4", L"Picture could not load.", {240, 720, 1695, 255}, &picImage),
      picContain(*this, L"picContain", {2760, 1800, 2295, 855}, false),
      Label1(*this, L"Label1", L"loading...", {0, 90, 2295, 255}, &picContain),
      Label2(*this, L"Label2", L"Image Size:", {0, 360, 1455, 255}, &picContain),
      lblSize(*this, L"lblSize", L"0000x0000", {1410, 360, 855, 255}, &picContain),
      Label3(*this, L"Label3", L"Screen Resolution:", {0, 600, 1455, 255}, &picContain),
      lblRes(*this, L"lblRes", L"0000x0000", {1410, 600, 855, 255}, &picContain),
      picBuff(*this, L"picBuff", {2640, 360, 255, 255}),
      Dir(*this, L"Dir", kImagePatterns, {2160, 120, 735, 675}),
      Command1(*this, L"Command1", L"", {15, 15, 5160, 2760}),
      Shape1(*this, L"Shape1", {0, 0, 5175, 2775}) {
    File1.SetTabIndex(0);
    cmdChoose.SetTabIndex(1);
    cmdChoose.SetDefault(true);
    cmdCancel.SetTabIndex(2);
    cmdCancel.SetCancel(true);
    picImage.SetTabIndex(3);
    Label4.SetVisible(false);
    Label4.SetAlignment(tk::Align::Center);
    Label1.SetAlignment(tk::Align::Center);
    lblSize.SetAlignment(tk::Align::Right);
    lblRes.SetAlignment(tk::Align::Right);
    picBuff.SetVisible(false);
    Dir.SetVisible(false);
    Command1.SetEnabled(false);
    Command1.SetTabStop(false);
    File1.Click = [this] { File1_Click(); };
    cmdChoose.Click = [this] { cmdChoose_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
}

void frmSel::Form_Load() {
    SetFormRegion(Murivale().api, *this);
    CentreTopmost(Murivale().api, *this);
    Hide();
}

void frmSel::File1_Click() {
    const int selected = File1.ListIndex();
    Label4.SetVisible(false);
    State().CurrentIndex = static_cast<std::int16_t>(selected - 1);
    if (selected <= 0) {
        Label1.SetVisible(false);
        picImage.ClearPicture();
        return;
    }
    Label1.SetVisible(true);
    tk::DoEvents();  // "loading..." is painted before the decode starts
    if (!IsLoaded()) return;  // the program was closed meanwhile
    // Another selection made meanwhile ran this handler for itself, which left the preview
    // (or the empty box) for the selection as it is now; this one is out of date.
    if (File1.ListIndex() != selected) return;
    SetPicture();
}

void frmSel::SetPicture() {
    const SessionState& state = State();
    try {
        const int k = File1.ListIndex();
        if (k < 1) throw std::out_of_range("no image entry selected");
        // The picture is only ever drawn at its share of the box, so the decode may leave out
        // pixels the box cannot show; its full size still gives the sizes below.
        tk::DecodeHint hint;
        hint.needed = [this](int width, int height) {
            const PreviewScale scale = ScaleFor(width, height);
            return tk::SizePx{PixelsCovering(picImage.ScaleWidth() * double(scale.rX), tk::Screen::TwipsPerPixelX()),
                              PixelsCovering(picImage.ScaleHeight() * double(scale.rY), tk::Screen::TwipsPerPixelY())};
        };
        picBuff.LoadPicture(state.FolderPath + state.ImageFiles.at(static_cast<std::size_t>(k - 1)), hint);
        const tk::Picture24& picture = *picBuff.Picture();
        const PreviewScale scale = ScaleFor(picture.FullWidth(), picture.FullHeight());
        picImage.ClearPicture();
        const double boxWidth = picImage.ScaleWidth();
        const double boxHeight = picImage.ScaleHeight();
        const std::int16_t dW = base::ToInt16(boxWidth * scale.rX);
        const std::int16_t dH = base::ToInt16(boxHeight * scale.rY);
        picImage.PaintPicture(picture, boxWidth / 2 - dW / 2.0, boxHeight / 2 - dH / 2.0, dW, dH);
        lblSize.SetCaption(base::DecimalText(base::ToInt16(scale.himetricWidth / kHimetricPerPixel)) + L"x" +
                           base::DecimalText(base::ToInt16(scale.himetricHeight / kHimetricPerPixel)));
        Label1.SetVisible(false);
    } catch (const std::exception&) {
        Label1.SetVisible(false);
        Label4.SetVisible(true);
    }
}

void frmSel::cmdChoose_Click() {
    Hide();
    frmBG& choice = *Murivale().choice;
    choice.Show();
    choice.cmdBase.SetEnabled(false);
    choice.cmdCurrent.SetEnabled(false);
    choice.cmdRand.SetEnabled(false);
    choice.cmdSelect.SetEnabled(false);
    tk::Screen::SetMousePointer(tk::kPointerHourglass);
    tk::DoEvents();
    if (State().Exiting != base::kFalse) return;  // the program was closed meanwhile
    ApplySelection();
}

void frmSel::ApplySelection() {
    const SessionState& state = State();
    if (state.CurrentIndex == kIndexNoSelection) {
        // Nothing to apply and no timer to wait for: the choice window comes back at once.
        Murivale().choice->EnableButtons();
        return;
    }
    const std::wstring name = state.CurrentIndex == kIndexNone
                                  ? std::wstring()
                                  : state.ImageFiles[static_cast<std::size_t>(state.CurrentIndex)];
    if (state.ActiveDesktop != base::kFalse) Murivale().backdrop->Show();
    ApplyOrReport(Murivale(), name);
}

void frmSel::cmdCancel_Click() {
    Hide();
    SessionState& state = State();
    for (int i = 0; i < state.FileCount; ++i) {
        if (state.CurrentFile == state.ImageFiles[static_cast<std::size_t>(i)]) {
            state.CurrentIndex = static_cast<std::int16_t>(i);
            break;
        }
        state.CurrentIndex = kIndexNone;
    }
    frmBG& choice = *Murivale().choice;
    choice.Show();
    choice.cmdSelect.SetFocus();
}

// Closing the browser by the window manager goes back as Cancel does: the choice window is
// hidden meanwhile and must come back.
void frmSel::OnUserClose() { cmdCancel_Click(); }

}  // namespace selector
