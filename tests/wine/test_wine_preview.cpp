// Reduced decoding on the real Win32 backend (run under Wine): a large JPEG, written here with
// the imaging component's own encoder, decoded for a small preview comes with fewer pixels and
// its full size, and draws into a picture box exactly where the whole picture does.
#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/win32/Handles.h"
#include "toolkit/App.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/Image.h"
#include "toolkit/win32/ImageDecoder.h"

namespace {

using base::win32::ComPtr;
using tk::win32::DecoderPath;

constexpr int kWidth = 3200;
constexpr int kHeight = 2400;

std::uint32_t Cell(int x, int y) {
    static const std::uint32_t kColours[] = {0xE01010, 0x10E010, 0x1010E0, 0xE0E010, 0x10E0E0, 0xE010E0};
    return kColours[(x * 6 / kWidth + y * 4 / kHeight) % 6];
}

bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)) > tolerance) {
            return false;
        }
    }
    return true;
}

// Writes the grid as a JPEG through the imaging component; false when it has no JPEG encoder.
bool WriteJpeg(const std::wstring& path) {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.PutVoid()))) {
        return false;
    }
    std::vector<BYTE> bgr(static_cast<std::size_t>(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::uint32_t p = Cell(x, y);
            BYTE* out = &bgr[(static_cast<std::size_t>(y) * kWidth + x) * 3];
            out[0] = static_cast<BYTE>(p);
            out[1] = static_cast<BYTE>(p >> 8);
            out[2] = static_cast<BYTE>(p >> 16);
        }
    }
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    return SUCCEEDED(factory->CreateStream(stream.Put())) &&
           SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.Put())) &&
           SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(frame.Put(), nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
           SUCCEEDED(frame->SetSize(kWidth, kHeight)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
           IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
           SUCCEEDED(frame->WritePixels(kHeight, kWidth * 3, static_cast<UINT>(bgr.size()), bgr.data())) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

tk::DecodeHint Needing(int width, int height) {
    tk::DecodeHint hint;
    hint.needed = [width, height](int, int) { return tk::SizePx{width, height}; };
    return hint;
}

tk::Bitmap DecodeWith(DecoderPath path, const std::wstring& file, const tk::DecodeHint& hint) {
    tk::win32::SetDecoderPath(path);
    struct Restore {
        ~Restore() { tk::win32::SetDecoderPath(DecoderPath::Auto); }
    } restore;
    return tk::DecodeImageFile(file, hint);
}

class PreviewForm : public tk::Form {
public:
    PreviewForm() : Form(L"frmPreview", Style()), box(*this, L"picImage", {120, 120, 2295, 1720}) {}
    tk::PictureBox box;

private:
    static tk::FormStyle Style() {
        tk::FormStyle style;
        style.caption = L"Preview";
        style.clientWidth = 2600;
        style.clientHeight = 2000;
        return style;
    }
};

class PicturePreviewWine : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        wchar_t folder[MAX_PATH];
        ::GetTempPathW(MAX_PATH, folder);
        file_ = std::wstring(folder) + L"preview-" + std::to_wstring(::GetCurrentProcessId()) + L".jpg";
        written_ = WriteJpeg(file_);
    }
    static void TearDownTestSuite() { ::DeleteFileW(file_.c_str()); }
    void SetUp() override { ASSERT_TRUE(written_) << "the JPEG could not be written"; }

    static std::wstring file_;
    static bool written_;
};
std::wstring PicturePreviewWine::file_;
bool PicturePreviewWine::written_ = false;

TEST_F(PicturePreviewWine, HintedDecodeHoldsFewerPixelsAndTheFullSize) {
    const tk::Bitmap whole = tk::DecodeImageFile(file_);
    ASSERT_EQ(whole.width, kWidth);
    ASSERT_EQ(whole.height, kHeight);

    std::vector<tk::SizePx> asked;
    tk::DecodeHint hint;
    hint.needed = [&asked](int width, int height) {
        asked.push_back({width, height});
        return tk::SizePx{450, 301};  // 1/8 (400x300) is too small
    };
    const tk::Bitmap reduced = tk::DecodeImageFile(file_, hint);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].width, kWidth);
    EXPECT_EQ(asked[0].height, kHeight);
    ASSERT_EQ(reduced.width, kWidth / 4);
    ASSERT_EQ(reduced.height, kHeight / 4);
    ASSERT_EQ(reduced.pixels.size(), static_cast<std::size_t>(kWidth / 4) * (kHeight / 4));
    EXPECT_EQ(reduced.FullWidth(), kWidth);
    EXPECT_EQ(reduced.FullHeight(), kHeight);
    // The same picture: away from the cells' edges each pixel has its cell's colour.
    int judged = 0;
    for (int y = 0; y < reduced.height; ++y) {
        for (int x = 0; x < reduced.width; ++x) {
            const int sx = 4 * x + 2, sy = 4 * y + 2;
            if (Cell(std::max(0, sx - 16), std::max(0, sy - 16)) != Cell(sx, sy) ||
                Cell(std::min(kWidth - 1, sx + 16), std::min(kHeight - 1, sy + 16)) != Cell(sx, sy)) {
                continue;
            }
            ++judged;
            ASSERT_TRUE(Near(reduced.at(x, y), Cell(sx, sy), 24))
                << x << "," << y << ": " << std::hex << reduced.at(x, y) << " for " << Cell(sx, sy);
        }
    }
    EXPECT_GT(judged, reduced.width * reduced.height * 3 / 4);

    // The OLE loader has no reduced decode: with the same hint it gives every pixel.
    const tk::Bitmap ole = DecodeWith(DecoderPath::OlePicture, file_, Needing(450, 301));
    EXPECT_EQ(ole.width, kWidth);
    EXPECT_EQ(ole.fullWidth, 0);
    // A hint that needs every pixel gets the whole picture, as without one.
    const tk::Bitmap all = tk::DecodeImageFile(file_, Needing(kWidth, 10));
    EXPECT_EQ(all.width, kWidth);
    EXPECT_TRUE(all.pixels == whole.pixels);
}

TEST_F(PicturePreviewWine, ReducedPictureDrawsWhereTheWholeOneDoes) {
    const tk::Bitmap whole = tk::DecodeImageFile(file_);
    PreviewForm form;
    const double boxWidth = form.box.ScaleWidth();
    const double boxHeight = form.box.ScaleHeight();
    // Drawn at 3/4 of the box (a margin shows) and at three times it (only the middle shows).
    for (const double share : {0.75, 3.0}) {
        SCOPED_TRACE(share);
        const double w = boxWidth * share, h = boxHeight * share;
        const tk::SizePx inner = form.box.InnerPixels();
        const tk::Bitmap reduced = tk::DecodeImageFile(
            file_, Needing(static_cast<int>(inner.width * share) + 1, static_cast<int>(inner.height * share) + 1));
        ASSERT_LT(reduced.width, kWidth);
        form.box.Cls();
        form.box.PaintPicture(whole, boxWidth / 2 - w / 2, boxHeight / 2 - h / 2, w, h);
        const std::vector<std::uint32_t> fromWhole = form.box.Surface().pixels;
        form.box.Cls();
        form.box.PaintPicture(reduced, boxWidth / 2 - w / 2, boxHeight / 2 - h / 2, w, h);
        const tk::Bitmap& s = form.box.Surface();
        const tk::Color face = tk::ColorValue(form.box.BackColor());
        const std::uint32_t background = ((face & 0xFF) << 16) | (face & 0xFF00) | ((face >> 16) & 0xFF);
        std::size_t differ = 0, margin = 0;
        for (std::size_t i = 0; i < s.pixels.size(); ++i) {
            const bool empty = s.pixels[i] == background;
            ASSERT_EQ(empty, fromWhole[i] == background) << "pixel " << i % s.width << "," << i / s.width;
            margin += empty;
            differ += !Near(s.pixels[i], fromWhole[i], 24);
        }
        EXPECT_EQ(margin > 0, share < 1);
        EXPECT_LT(differ, s.pixels.size() / 20);
    }
}

}  // namespace
