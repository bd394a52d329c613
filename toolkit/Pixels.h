// Pixels in the two forms the toolkit holds them (Bitmap, Picture24), the limits every picture
// is held to before its memory is allocated, and the error that reading a picture throws: what
// the file readers, the decoders and Image.h all build on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace tk {

// Thrown for a file that cannot be read or is not a picture this toolkit accepts. The message
// is meant for a person.
class PictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// 32-bit pixels, top-down rows, each pixel 0x00RRGGBB (in memory: blue, green, red, unused): a
// picture box's drawing surface, and pictures made in code.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // width * height
    // The size of the picture these pixels show, when they are a reduced decode of it (see
    // DecodeHint); zero when the pixels are the whole picture. Whatever is reported or measured
    // about the picture comes from FullWidth() and FullHeight(), not from the pixel count.
    int fullWidth = 0;
    int fullHeight = 0;

    int FullWidth() const { return fullWidth > 0 ? fullWidth : width; }
    int FullHeight() const { return fullHeight > 0 ? fullHeight : height; }

    Bitmap() = default;
    Bitmap(int w, int h, std::uint32_t fill = 0);
    std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    bool empty() const { return width <= 0 || height <= 0; }
};

// A decoded picture: 24-bit pixels laid out exactly as the pixel data of a Windows bitmap file
// (three bytes a pixel, blue, green, red; each row padded to a multiple of four bytes; the bottom
// row first). The pictures are kept in this form only: the bitmap file is its header followed by
// these bytes as they are, and the screen takes them as a 24-bit device-independent bitmap.
struct Picture24 {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rows;  // RowBytes() * height
    // As in Bitmap: the size of the whole picture when these pixels are a reduced decode of it.
    int fullWidth = 0;
    int fullHeight = 0;

    int FullWidth() const { return fullWidth > 0 ? fullWidth : width; }
    int FullHeight() const { return fullHeight > 0 ? fullHeight : height; }

    Picture24() = default;
    // All black. Throws PictureError for a negative size or one beyond the limits below.
    Picture24(int w, int h);

    static std::size_t RowBytesFor(int width) { return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4; }
    std::size_t RowBytes() const { return RowBytesFor(width); }
    // Row y counted from the top of the picture.
    std::uint8_t* Row(int y) { return rows.data() + RowBytes() * static_cast<std::size_t>(height - 1 - y); }
    const std::uint8_t* Row(int y) const {
        return rows.data() + RowBytes() * static_cast<std::size_t>(height - 1 - y);
    }
    // 0x00RRGGBB, as Bitmap holds it.
    std::uint32_t at(int x, int y) const {
        const std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
        return std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
    }
    void Set(int x, int y, std::uint32_t pixel) {
        std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
        p[0] = static_cast<std::uint8_t>(pixel);
        p[1] = static_cast<std::uint8_t>(pixel >> 8);
        p[2] = static_cast<std::uint8_t>(pixel >> 16);
    }
    bool empty() const { return width <= 0 || height <= 0; }
};

// The same pixels in the other form (the unused byte of a Bitmap's pixels is dropped, and comes
// back zero); the full size goes with them.
Picture24 ToPicture24(const Bitmap& bitmap);
Bitmap ToBitmap(const Picture24& picture);

// Limits applied before any pixel memory is allocated.
constexpr int kMaxPictureSide = 65535;
constexpr std::int64_t kMaxPicturePixels = 100'000'000;  // 400 MB of 32-bit pixels

// Throws PictureError unless 1 <= width, height <= kMaxPictureSide and width * height <=
// kMaxPicturePixels. Works in 64 bits, so any declared size can be passed.
void CheckPictureSize(std::int64_t width, std::int64_t height);

}  // namespace tk
