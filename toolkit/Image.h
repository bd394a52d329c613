// Pictures: decoded pixels, the safe decoding of JPEG, GIF, BMP and DIB files, and writing a
// picture as a Windows bitmap file. Decoding is done by the backend (the system's own decoders
// on Windows, a portable decoder in the headless backend); every file is checked here first, so
// that a hostile header never reaches a decoder.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "toolkit/Pixels.h"
#include "toolkit/Types.h"

namespace tk {

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


// Reads the header of an in-memory file, recognising the format by its content (not its name).
// Throws PictureError for an unknown format, a truncated or inconsistent header, zero or
// negative sizes, or sizes beyond the limits above.
ImageInfo ProbeImage(const std::vector<std::uint8_t>& file);

// Decodes a JPEG, GIF (first frame), BMP or DIB file into pixels. Throws PictureError.
// The file is read and checked with ProbeImage before the platform's decoder sees it; a file
// that cannot be read, and running out of memory while decoding, are PictureErrors too.
Picture24 DecodePicture(const std::wstring& path);
// The same, with the pixels in 32-bit form.
Bitmap DecodeImageFile(const std::wstring& path);

// For a caller that will only draw a picture smaller than it is. Given the picture's full size
// (from its header, before any pixel is decoded), `needed` returns the least width and height in
// pixels the caller will draw it at (called at most once per decode; it must not throw). The
// decode may then deliver fewer pixels than the picture has, never fewer than that; the Bitmap
// still records the full size.
struct DecodeHint {
    std::function<SizePx(int fullWidth, int fullHeight)> needed;
};

// The largest reduction DecodeImageFile with a hint makes: 1 / 2^kMaxDecodeReduction per side.
constexpr int kMaxDecodeReduction = 3;

// As DecodePicture(path), but a JPEG may come reduced by 1/2, 1/4 or 1/8 per side (each side
// rounded up) when the hint allows it. On Windows the imaging component delivers it (a reduced
// decode where its JPEG decoder offers one, else a scaled read); the OLE picture loader, used
// only without the imaging component, always gives the whole picture. Other formats come whole.
// Without `needed`, the same as DecodePicture(path).
Picture24 DecodePicture(const std::wstring& path, const DecodeHint& hint);
Bitmap DecodeImageFile(const std::wstring& path, const DecodeHint& hint);

// The reduction (0 .. kMaxDecodeReduction) that keeps a width x height picture at least `needed`
// in both directions with the fewest pixels, and the size a picture reduced by it has.
int DecodeReductionFor(int width, int height, SizePx needed);
SizePx ReducedSize(int width, int height, int reduction);

// The file header and information header (54 bytes) of the 24-bit Windows bitmap file that
// holds `picture`: bottom-up rows, 96 dpi. Throws PictureError for an empty picture, or one whose
// rows do not match its size.
std::vector<std::uint8_t> Bmp24Headers(const Picture24& picture);

// The bytes of a 24-bit Windows bitmap file holding `bitmap`.
std::vector<std::uint8_t> EncodeBmp24(const Bitmap& bitmap);

// Writes `picture` as a 24-bit Windows bitmap file, replacing any file of that name atomically:
// the headers and then the picture's rows, as they are kept, go to a temporary file beside it
// (in chunks of bounded size, without a copy of the whole file in memory), which is flushed and
// then takes its place. Throws PictureError.
void SaveBitmapFile(const Picture24& picture, const std::wstring& path);
void SaveBitmapFile(const Bitmap& bitmap, const std::wstring& path);

// HIMETRIC (hundredths of a millimetre) of a pixel length, as at 96 dpi: px * 2540 / 96, rounded.
std::int32_t PixelsToHimetric(int pixels);

}  // namespace tk
