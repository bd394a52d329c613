// Picture boxes on the headless backend: the drawing surface, stretched drawing and clipping.
#include <gtest/gtest.h>

#include <memory>

#include "toolkit/App.h"
#include "toolkit/Form.h"
#include "toolkit/headless/Headless.h"

namespace {

namespace hl = tk::headless;

constexpr std::uint32_t kFacePixel = 0xC0C0C0;

tk::FormStyle PlainStyle() {
    tk::FormStyle style;
    style.clientWidth = 6000;
    style.clientHeight = 4000;
    return style;
}

class BoxForm : public tk::Form {
public:
    // 2295 x 1720 twips with a 2-pixel frame: an inner area of 149 x 110 pixels at 96 dpi.
    BoxForm()
        : tk::Form(L"BoxForm", PlainStyle()),
          box(*this, L"box", {2760, 120, 2295, 1720}),
          bare(*this, L"bare", {0, 0, 150, 150}, false) {}
    tk::PictureBox box;
    tk::PictureBox bare;
};

tk::Bitmap Solid(int w, int h, std::uint32_t pixel) { return tk::Bitmap(w, h, pixel); }

// A picture whose left half is red and right half blue.
tk::Bitmap Halves(int w, int h) {
    tk::Bitmap bitmap(w, h, 0xFF0000);
    for (int y = 0; y < h; ++y)
        for (int x = w / 2; x < w; ++x) bitmap.at(x, y) = 0x0000FF;
    return bitmap;
}

int CountPixels(const tk::Bitmap& surface, std::uint32_t pixel) {
    int n = 0;
    for (std::uint32_t p : surface.pixels) n += p == pixel;
    return n;
}

class ToolkitPictureBox : public ::testing::Test {
protected:
    void SetUp() override { hl::Reset(); }
};

TEST_F(ToolkitPictureBox, InnerAreaExcludesTheFrame) {
    BoxForm form;
    EXPECT_EQ(form.box.InnerPixels().width, 149);
    EXPECT_EQ(form.box.InnerPixels().height, 111);  // 1720 twips = 114.67 -> 115 pixels, less 4
    EXPECT_EQ(form.box.ScaleWidth(), 149 * 15);
    EXPECT_EQ(form.bare.InnerPixels().width, 10);
    EXPECT_EQ(form.box.Surface().width, 149);
    EXPECT_EQ(CountPixels(form.box.Surface(), kFacePixel), 149 * 111);
}

TEST_F(ToolkitPictureBox, StretchedDrawFillsExactlyItsRectangle) {
    BoxForm form;
    const double w = form.box.ScaleWidth(), h = form.box.ScaleHeight();
    // The middle half in each direction, as a half-size picture drawn centred.
    form.box.PaintPicture(Solid(7, 3, 0x00FF00), w / 2 - w / 4, h / 2 - h / 4, w / 2, h / 2);
    const tk::Bitmap& s = form.box.Surface();
    EXPECT_EQ(s.at(74, 55), 0x00FF00u);
    EXPECT_EQ(s.at(0, 0), kFacePixel);
    EXPECT_EQ(s.at(36, 55), kFacePixel);   // just left of the drawn area (starts at 37.25)
    EXPECT_EQ(s.at(37, 55), 0x00FF00u);
    EXPECT_EQ(s.at(111, 55), 0x00FF00u);  // ends at 111.75
    EXPECT_EQ(s.at(112, 55), kFacePixel);
    EXPECT_NEAR(CountPixels(s, 0x00FF00), 75 * 55, 75 + 56);
}

TEST_F(ToolkitPictureBox, DrawingLargerThanTheBoxShowsItsCentre) {
    BoxForm form;
    const double w = form.box.ScaleWidth(), h = form.box.ScaleHeight();
    // Twice the box: only the middle quarter is visible, half of it red and half blue.
    form.box.PaintPicture(Halves(400, 300), w / 2 - w, h / 2 - h, 2 * w, 2 * h);
    const tk::Bitmap& s = form.box.Surface();
    EXPECT_EQ(CountPixels(s, kFacePixel), 0);
    EXPECT_EQ(s.at(10, 10), 0xFF0000u);
    EXPECT_EQ(s.at(140, 100), 0x0000FFu);
    EXPECT_NEAR(CountPixels(s, 0xFF0000), CountPixels(s, 0x0000FF), 111);
}

TEST_F(ToolkitPictureBox, NegativeExtentMirrorsThePicture) {
    BoxForm form;
    const double w = form.box.ScaleWidth(), h = form.box.ScaleHeight();
    form.box.PaintPicture(Halves(20, 20), w, 0, -w, h);
    EXPECT_EQ(form.box.Surface().at(5, 5), 0x0000FFu);
    EXPECT_EQ(form.box.Surface().at(140, 5), 0xFF0000u);
}

TEST_F(ToolkitPictureBox, ClsErasesDrawingsButKeepsTheAssignedPicture) {
    BoxForm form;
    form.box.SetPicture(std::make_shared<const tk::Picture24>(tk::ToPicture24(Solid(10, 10, 0x123456))));
    EXPECT_EQ(form.box.Surface().at(9, 9), 0x123456u);
    EXPECT_EQ(form.box.Surface().at(10, 10), kFacePixel);
    form.box.PaintPicture(Solid(1, 1, 0xABCDEF), 0, 0, form.box.ScaleWidth(), form.box.ScaleHeight());
    form.box.Cls();
    EXPECT_EQ(form.box.Surface().at(9, 9), 0x123456u);
    EXPECT_EQ(form.box.Surface().at(50, 50), kFacePixel);
    form.box.ClearPicture();
    EXPECT_EQ(form.box.Picture(), nullptr);
    EXPECT_EQ(CountPixels(form.box.Surface(), kFacePixel), 149 * 111);
}

TEST_F(ToolkitPictureBox, SavingWithoutAPictureIsRefused) {
    BoxForm form;
    EXPECT_THROW(form.box.SavePicture(L"C:\\nowhere.bmp"), tk::PictureError);
}

TEST_F(ToolkitPictureBox, LayoutFollowsTheDpi) {
    hl::SetScreen(1280, 1024, 144);
    BoxForm form;
    // 2295 twips at 144 dpi are 229.5 -> 230 pixels, less the frame.
    EXPECT_EQ(form.box.InnerPixels().width, 226);
    EXPECT_EQ(form.box.ScaleWidth(), 2260);
}

// The default face is the system's button face, whatever colour that is now; a picture's silver
// pixels and a silver asked for stay silver.
TEST_F(ToolkitPictureBox, SystemFaceAndSilverAreDifferentColours) {
    hl::SetButtonFace(0xD8E9EC);  // 0x00BBGGRR: a beige face
    BoxForm form;
    EXPECT_NE(form.box.BackColor(), tk::kSilver);
    form.box.Cls();
    const int all = static_cast<int>(form.box.Surface().pixels.size());
    EXPECT_EQ(CountPixels(form.box.Surface(), 0xECE9D8), all);
    form.box.PaintPicture(Solid(4, 4, kFacePixel), 0, 0, 15 * 10, 15 * 10);
    EXPECT_EQ(CountPixels(form.box.Surface(), kFacePixel), 100);
    form.box.SetBackColor(tk::kSilver);
    form.box.Cls();
    EXPECT_EQ(CountPixels(form.box.Surface(), kFacePixel), all);
}

}  // namespace
