// Pictures: decoded pixels, the safe decoding of JPEG, GIF, BMP and DIB files, and writing a
// picture as a Windows bitmap file. Decoding is done by the backend (the system's own decoders
// on Windows, a portable decoder in the headless backend); every file is checked here first, so
// that a hostile header never reaches a decoder.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tk {

// Thrown for a file that cannot be read or is not a picture this toolkit accepts. The message
// is meant for a person.
class PictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// 32-bit pixels, top-down rows, each pixel 0x00RRGGBB (in memory: blue, green, red, unused).
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // width * height

    Bitmap() = default;
    Bitmap(int w, int h, std::uint32_t fill = 0);
    std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    bool empty() const { return width <= 0 || height <= 0; }
};

// Limits applied before any pixel memory is allocated.
constexpr int kMaxPictureSide = 65535;
constexpr std::int64_t kMaxPicturePixels = 100'000'000;  // 400 MB of 32-bit pixels

enum class ImageFormat { Unknown, Jpeg, Gif, Bmp };

// What the header of a file declares, checked for sanity.
struct ImageInfo {
    ImageFormat format = ImageFormat::Unknown;
    int width = 0;
    int height = 0;
    // The rectangle the first frame covers. It is the whole picture except for a GIF whose first
    // image is smaller than its logical screen or placed inside it (it may even stick out).
    int frameLeft = 0;
    int frameTop = 0;
    int frameWidth = 0;
    int frameHeight = 0;
};

// Throws PictureError unless 1 <= width, height <= kMaxPictureSide and width * height <=
// kMaxPicturePixels. Works in 64 bits, so any declared size can be passed.
void CheckPictureSize(std::int64_t width, std::int64_t height);

// Reads the header of an in-memory file, recognising the format by its content (not its name).
// Throws PictureError for an unknown format, a truncated or inconsistent header, zero or
// negative sizes, or sizes beyond the limits above.
ImageInfo ProbeImage(const std::vector<std::uint8_t>& file);

// Decodes a JPEG, GIF (first frame), BMP or DIB file into pixels. Throws PictureError.
// Implemented by the backend; always runs ProbeImage first.
Bitmap DecodeImageFile(const std::wstring& path);

// The bytes of a 24-bit Windows bitmap file holding `bitmap`.
std::vector<std::uint8_t> EncodeBmp24(const Bitmap& bitmap);

// Writes `bitmap` as a 24-bit Windows bitmap file, replacing any file of that name atomically:
// the bytes go to a temporary file beside it, which then takes its place. Throws PictureError.
void SaveBitmapFile(const Bitmap& bitmap, const std::wstring& path);

// HIMETRIC (hundredths of a millimetre) of a pixel length, as at 96 dpi: px * 2540 / 96, rounded.
std::int32_t PixelsToHimetric(int pixels);

}  // namespace tk
