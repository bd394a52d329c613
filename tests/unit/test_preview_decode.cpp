// Reduced decoding for the browser's preview: a hinted JPEG decode delivers fewer pixels but
// reports the picture's full size, and the preview drawn from it has the geometry and the size
// text of one drawn from every pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "selector/frmSel.h"
#include "tests/unit/ProgramFixture.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Image.h"

namespace {

namespace hl = tk::headless;

// Saturated cells of a width x height picture in a 6 x 4 grid; none is grey, so none matches a
// box's background.
std::uint32_t Cell(int x, int y, int width, int height) {
    static const std::uint32_t kColours[] = {0xE01010, 0x10E010, 0x1010E0, 0xE0E010, 0x10E0E0, 0xE010E0};
    const int column = x * 6 / width;
    const int row = y * 4 / height;
    return kColours[(column + row) % 6];
}

tk::Bitmap Grid(int width, int height) {
    tk::Bitmap b(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) b.at(x, y) = Cell(x, y, width, height);
    }
    return b;
}

// A baseline JPEG of `b` in which every 8x8 block is flat, with the colour of the block's centre
// pixel: such a file needs DC coefficients only, so a few lines make it. Colours are YCbCr at full
// resolution, quantised by 1.
class FlatBlockJpeg {
public:
    static std::vector<std::uint8_t> Encode(const tk::Bitmap& b) {
        FlatBlockJpeg out;
        out.Bytes({0xFF, 0xD8});
        out.Segment(0xDB, {0x00});  // quantisation table 0, all ones
        out.bytes_.insert(out.bytes_.end(), 64, 1);
        out.Patch();
        out.Segment(0xC0, {8, Hi(b.height), Lo(b.height), Hi(b.width), Lo(b.width), 3, 1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0});
        out.Patch();
        // DC: twelve codes of four bits, categories 0..11. AC: end of block "00" (and ZRL "01").
        out.Segment(0xC4, {0x00, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
        out.Patch();
        out.Segment(0xC4, {0x10, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0xF0});
        out.Patch();
        out.Segment(0xDA, {3, 1, 0x00, 2, 0x00, 3, 0x00, 0, 63, 0});
        out.Patch();
        int previous[3] = {0, 0, 0};
        for (int by = 0; by < (b.height + 7) / 8; ++by) {
            for (int bx = 0; bx < (b.width + 7) / 8; ++bx) {
                const std::uint32_t p = b.at(std::min(bx * 8 + 4, b.width - 1), std::min(by * 8 + 4, b.height - 1));
                const double r = (p >> 16) & 255, g = (p >> 8) & 255, bl = p & 255;
                const double ycc[3] = {0.299 * r + 0.587 * g + 0.114 * bl,
                                       -0.168736 * r - 0.331264 * g + 0.5 * bl + 128,
                                       0.5 * r - 0.418688 * g - 0.081312 * bl + 128};
                for (int c = 0; c < 3; ++c) {
                    const int level = std::clamp(static_cast<int>(std::lround(ycc[c])), 0, 255);
                    const int dc = 8 * (level - 128);
                    const int diff = dc - previous[c];
                    previous[c] = dc;
                    int category = 0;
                    while ((std::abs(diff) >> category) != 0) ++category;
                    out.Bits(static_cast<unsigned>(category), 4);
                    if (category > 0) {
                        out.Bits(static_cast<unsigned>(diff >= 0 ? diff : diff + (1 << category) - 1), category);
                    }
                    out.Bits(0, 2);  // end of block
                }
            }
        }
        if (out.count_ > 0) out.Bits((1u << (8 - out.count_)) - 1, 8 - out.count_);
        out.Bytes({0xFF, 0xD9});
        return out.bytes_;
    }

private:
    static std::uint8_t Hi(int v) { return static_cast<std::uint8_t>(v >> 8); }
    static std::uint8_t Lo(int v) { return static_cast<std::uint8_t>(v); }
    void Bytes(std::initializer_list<std::uint8_t> bytes) { bytes_.insert(bytes_.end(), bytes); }
    void Segment(std::uint8_t marker, std::initializer_list<std::uint8_t> body) {
        Bytes({0xFF, marker, 0, 0});
        segment_ = bytes_.size() - 2;
        Bytes(body);
    }
    void Patch() {  // the segment's length, now that its body is written
        const std::size_t length = bytes_.size() - segment_;
        bytes_[segment_] = static_cast<std::uint8_t>(length >> 8);
        bytes_[segment_ + 1] = static_cast<std::uint8_t>(length);
    }
    void Bits(unsigned value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            byte_ = static_cast<std::uint8_t>(byte_ << 1 | ((value >> i) & 1));
            if (++count_ == 8) {
                bytes_.push_back(byte_);
                if (byte_ == 0xFF) bytes_.push_back(0);
                byte_ = 0;
                count_ = 0;
            }
        }
    }

    std::vector<std::uint8_t> bytes_;
    std::size_t segment_ = 0;
    std::uint8_t byte_ = 0;
    int count_ = 0;
};

std::vector<std::uint8_t> EncodeJpeg(const tk::Bitmap& b) { return FlatBlockJpeg::Encode(b); }

int Channel(std::uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(Channel(a, shift) - Channel(b, shift)) > tolerance) return false;
    }
    return true;
}

tk::DecodeHint Needing(int width, int height) {
    tk::DecodeHint hint;
    hint.needed = [width, height](int, int) { return tk::SizePx{width, height}; };
    return hint;
}

TEST(PicturePreviewReduction, SmallestReductionThatStillCoversWhatIsDrawn) {
    struct Case {
        int width, height, neededWidth, neededHeight, reduction;
    };
    for (const Case c : {Case{6000, 4000, 150, 112, 3},    // 750x500
                         Case{6000, 4000, 751, 10, 2},     // 1/8 is a pixel short across
                         Case{6000, 4000, 10, 501, 2},     // ... or down
                         Case{1001, 701, 126, 88, 3},      // sides rounded up: 126x88
                         Case{1001, 701, 127, 88, 2},
                         Case{1024, 768, 1024, 768, 0},    // drawn at full size
                         Case{1024, 768, 5000, 10, 0},     // drawn larger than the picture
                         Case{1, 1, 1, 1, 3},              // a pixel stays a pixel
                         Case{6000, 4000, 0, 0, 3}}) {     // nothing drawn
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " for " << c.neededWidth << "x"
                                        << c.neededHeight);
        const int reduction = tk::DecodeReductionFor(c.width, c.height, {c.neededWidth, c.neededHeight});
        EXPECT_EQ(reduction, c.reduction);
        const tk::SizePx size = tk::ReducedSize(c.width, c.height, reduction);
        EXPECT_GE(size.width, std::min(c.width, c.neededWidth));
        EXPECT_GE(size.height, std::min(c.height, c.neededHeight));
    }
    EXPECT_EQ(tk::ReducedSize(1001, 701, 3).width, 126);
    EXPECT_EQ(tk::ReducedSize(1001, 701, 3).height, 88);
    EXPECT_EQ(tk::ReducedSize(1001, 701, 0).width, 1001);
}

class PicturePreviewDecode : public ::testing::Test {
protected:
    void SetUp() override {
        hl::MapDrive(L'T', temp.path().string());
        tk::fs::WriteFileAtomic(L"T:\\big.jpg", EncodeJpeg(Grid(1001, 701)));
        whole = tk::DecodeImageFile(L"T:\\big.jpg");
    }
    void TearDown() override { hl::ClearDriveMappings(); }

    testing_support::TempFolder temp;
    tk::Bitmap whole;
};

TEST_F(PicturePreviewDecode, HintedJpegComesReducedWithTheFullSizeRecorded) {
    ASSERT_EQ(whole.width, 1001);
    EXPECT_EQ(whole.FullWidth(), 1001);
    EXPECT_EQ(whole.FullHeight(), 701);

    std::vector<tk::SizePx> asked;
    tk::DecodeHint hint;
    hint.needed = [&asked](int width, int height) {
        asked.push_back({width, height});
        return tk::SizePx{200, 100};
    };
    const tk::Bitmap reduced = tk::DecodeImageFile(L"T:\\big.jpg", hint);
    ASSERT_EQ(asked.size(), 1u);  // with the size from the header, before decoding
    EXPECT_EQ(asked[0].width, 1001);
    EXPECT_EQ(asked[0].height, 701);
    ASSERT_EQ(reduced.width, 251);  // 1/4, rounded up; 1/8 would be 126 across
    ASSERT_EQ(reduced.height, 176);
    ASSERT_EQ(reduced.pixels.size(), 251u * 176u);
    EXPECT_EQ(reduced.FullWidth(), 1001);
    EXPECT_EQ(reduced.FullHeight(), 701);
    // Each pixel stands for its 4x4 block: inside a cell, the cell's colour.
    int judged = 0;
    for (int y = 0; y < reduced.height; ++y) {
        for (int x = 0; x < reduced.width; ++x) {
            const std::uint32_t expected = Cell(4 * x, 4 * y, 1001, 701);
            if (Cell(4 * x - 8, 4 * y - 8, 1001, 701) != expected ||
                Cell(std::min(4 * x + 11, 1000), std::min(4 * y + 11, 700), 1001, 701) != expected) {
                continue;  // near a cell's edge, which the file moves to a block's
            }
            ++judged;
            ASSERT_TRUE(Near(reduced.at(x, y), expected, 24))
                << x << "," << y << ": " << std::hex << reduced.at(x, y) << " for " << expected;
        }
    }
    EXPECT_GT(judged, reduced.width * reduced.height * 3 / 4);
    // The bottom-right pixel covers a cut block (1001 and 701 are not multiples of 4).
    EXPECT_TRUE(Near(reduced.at(250, 175), whole.at(1000, 700), 24));
}

TEST_F(PicturePreviewDecode, WholePictureWhenTheHintAllowsNoReductionOrIsNotForJpeg) {
    for (const tk::DecodeHint& hint : {tk::DecodeHint{}, Needing(1001, 701), Needing(600, 10), Needing(70000, 70000)}) {
        const tk::Bitmap b = tk::DecodeImageFile(L"T:\\big.jpg", hint);
        EXPECT_EQ(b.width, 1001);
        EXPECT_EQ(b.height, 701);
        EXPECT_EQ(b.fullWidth, 0);
        EXPECT_TRUE(b.pixels == whole.pixels);
    }
    // A bitmap is never reduced, and its hint is not even asked.
    tk::SaveBitmapFile(Grid(640, 480), L"T:\\grid.bmp");
    bool asked = false;
    tk::DecodeHint hint;
    hint.needed = [&asked](int, int) {
        asked = true;
        return tk::SizePx{1, 1};
    };
    const tk::Bitmap b = tk::DecodeImageFile(L"T:\\grid.bmp", hint);
    EXPECT_FALSE(asked);
    EXPECT_EQ(b.width, 640);
    EXPECT_TRUE(b.pixels == Grid(640, 480).pixels);
    // A broken file fails with a hint as without one.
    tk::fs::WriteFileAtomic(L"T:\\cut.jpg", std::vector<std::uint8_t>(1, 0xFF));
    EXPECT_THROW(tk::DecodeImageFile(L"T:\\cut.jpg", Needing(1, 1)), tk::PictureError);
}

// ---- The browser's preview ----

class PicturePreviewBrowser : public testing_support::MurivaleTest {
protected:
    selector::frmSel& browser() { return *program().browser; }
    const tk::Bitmap& Preview() { return browser().picImage.Surface(); }
    std::uint32_t Background() {
        const tk::Color c = tk::ColorValue(browser().picImage.BackColor());
        return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
    void Restart() {
        choice.reset();
        hl::Reset();
        api = testing_support::HostFilesWinApi{};
        api.SetVersion(2, 5, 1, 1);
        selector::StartProgram(api);
    }
    void Select(const std::wstring& name) {
        const auto& files = state().ImageFiles;
        const auto it = std::find(files.begin(), files.end(), name);
        ASSERT_NE(it, files.end());
        browser().File1.OnUserSelect(static_cast<int>(it - files.begin()) + 1);
    }
    void Pick(const std::wstring& name) {
        Select(name);
        ASSERT_FALSE(browser().Label4.Visible());
    }

    // A JPEG of the grid and a bitmap holding exactly the pixels the JPEG decodes to.
    void AddPair(const std::wstring& stem, int width, int height) {
        MakeFolder(L"D:\\Pics");
        tk::fs::WriteFileAtomic(L"D:\\Pics\\" + stem + L".jpg", EncodeJpeg(Grid(width, height)));
        tk::SaveBitmapFile(tk::DecodeImageFile(L"D:\\Pics\\" + stem + L".jpg"), L"D:\\Pics\\" + stem + L".bmp");
    }

    // The part of the preview that is not background: left, top, right, bottom (exclusive).
    std::vector<int> Drawn() {
        const tk::Bitmap& s = Preview();
        int left = s.width, top = s.height, right = 0, bottom = 0;
        for (int y = 0; y < s.height; ++y) {
            for (int x = 0; x < s.width; ++x) {
                if ((s.at(x, y) & 0xFFFFFF) == Background()) continue;
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x + 1);
                bottom = std::max(bottom, y + 1);
            }
        }
        return {left, top, right, bottom};
    }
};

TEST_F(PicturePreviewBrowser, LargePhotoShowsAndReportsWhatAFullDecodeDoes) {
    struct Case {
        int width, height;
        const wchar_t* size;
    };
    const Case cases[] = {{3072, 2304, L"3073x2305"},  // three screens wide: only the middle shows
                          {800, 600, L"800x600"}};     // smaller than the screen: a margin shows
    for (const Case& c : cases) AddPair(L"p" + std::to_wstring(c.width), c.width, c.height);
    for (const int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        Restart();
        hl::SetScreen(1024, 768, dpi);
        Configure();
        Start();
        choice->cmdSelect.OnUserPress();
        for (const Case& c : cases) {
            SCOPED_TRACE(c.width);
            const std::wstring stem = L"p" + std::to_wstring(c.width);
            Pick(stem + L".bmp");
            const std::wstring fullSize = browser().lblSize.Caption();
            const std::vector<int> fullRect = Drawn();
            const std::vector<std::uint32_t> fullPreview = Preview().pixels;
            ASSERT_EQ(browser().picBuff.Picture()->width, c.width);

            Pick(stem + L".jpg");
            EXPECT_EQ(browser().lblSize.Caption(), fullSize);
            EXPECT_EQ(browser().lblSize.Caption(), c.size);
            EXPECT_EQ(Drawn(), fullRect);
            const tk::Picture24& held = *browser().picBuff.Picture();
            EXPECT_EQ(held.FullWidth(), c.width);
            EXPECT_EQ(held.FullHeight(), c.height);
            // Fewer pixels held, but at least one for each pixel of the drawn picture.
            const tk::SizePx box = browser().picImage.InnerPixels();
            EXPECT_LT(held.width, c.width);
            EXPECT_GE(held.width, static_cast<int>(std::ceil(box.width * c.width / 1024.0)));
            EXPECT_GE(held.height, static_cast<int>(std::ceil(box.height * c.height / 768.0)));
            // The same picture: only pixels at the cells' edges may differ.
            const std::vector<std::uint32_t>& preview = Preview().pixels;
            ASSERT_EQ(preview.size(), fullPreview.size());
            std::size_t differ = 0;
            for (std::size_t i = 0; i < preview.size(); ++i) differ += !Near(preview[i], fullPreview[i], 24);
            EXPECT_LT(differ, preview.size() / 20);
        }
        browser().cmdCancel.OnUserPress();
        choice->Unload();
    }
}

TEST_F(PicturePreviewBrowser, PhotoTooWideToScaleStillEndsWithAnEmptyPreview) {
    Configure();
    AddImage(L"D:\\Pics\\a.bmp", 64, 48, 0x123456);
    tk::fs::WriteFileAtomic(L"D:\\Pics\\wide.jpg", EncodeJpeg(Grid(16000, 8)));
    Start();
    choice->cmdSelect.OnUserPress();
    Pick(L"a.bmp");
    Select(L"wide.jpg");
    EXPECT_TRUE(browser().Label4.Visible());
    EXPECT_FALSE(browser().Label1.Visible());
    EXPECT_EQ(Drawn()[0], Preview().width);  // nothing drawn
    EXPECT_EQ(browser().lblSize.Caption(), L"64x48");
    browser().cmdCancel.OnUserPress();
    choice->Unload();
}

}  // namespace
