// Pictures: the pixel buffer, the header checks done before any decoder sees a file, the
// reading of a file for the backend's decoders, the 24-bit bitmap writer and the HIMETRIC size
// of a pixel length.
#include "toolkit/Image.h"

#include <cstring>
#include <new>
#include <string>

#include "base/Numeric.h"
#include "base/Text.h"
#include "toolkit/BmpHeader.h"
#include "toolkit/ByteReader.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Platform.h"

namespace tk {

namespace {

[[noreturn]] void Refuse(const char* format, const char* why) {
    throw PictureError(std::string("The ") + format + " file is not valid: " + why + ".");
}

ImageInfo WholePicture(ImageFormat format, int width, int height) {
    ImageInfo info;
    info.format = format;
    info.width = width;
    info.height = height;
    info.frameWidth = width;
    info.frameHeight = height;
    return info;
}

// ---- JPEG: walk the marker segments up to the frame header (SOFn) ----

bool IsFrameMarker(std::uint8_t marker) {
    // SOF0-SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool IsStandaloneMarker(std::uint8_t marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);  // TEM, RST0-RST7
}

ImageInfo ReadJpegFrame(const detail::ByteReader& in, std::size_t segment) {
    const std::uint16_t length = in.U16be(segment);
    const int components = in.U8(segment + 7);
    if (length < 8 || components == 0 || length < 8 + 3 * components) {
        Refuse("JPEG", "the frame header is malformed");
    }
    in.Require(segment, length);
    const int height = in.U16be(segment + 3);
    const int width = in.U16be(segment + 5);
    if (height == 0) Refuse("JPEG", "the height is not given in the frame header");
    if (width == 0) Refuse("JPEG", "the width is zero");
    CheckPictureSize(width, height);
    return WholePicture(ImageFormat::Jpeg, width, height);
}

// Stray bytes between segments are skipped, as common decoders do, up to the next marker.
ImageInfo ProbeJpeg(const std::vector<std::uint8_t>& file) {
    const detail::ByteReader in(file, "JPEG");
    std::size_t pos = 2;
    for (;;) {
        while (in.U8(pos) != 0xFF) ++pos;
        while (in.U8(pos) == 0xFF) ++pos;
        const std::uint8_t marker = in.U8(pos++);
        if (marker == 0x00 || IsStandaloneMarker(marker)) continue;
        if (IsFrameMarker(marker)) return ReadJpegFrame(in, pos);
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA) {
            Refuse("JPEG", "there is no frame header before the image data");
        }
        const std::uint16_t length = in.U16be(pos);
        if (length < 2) Refuse("JPEG", "a segment length is too small");
        in.Require(pos, length);
        pos += length;
    }
}

// ---- GIF: the logical screen and the first image descriptor ----

std::size_t ColorTableBytes(std::uint8_t flags) {
    return (flags & 0x80) != 0 ? 3u * (2u << (flags & 0x07)) : 0u;
}

std::size_t SkipSubBlocks(const detail::ByteReader& in, std::size_t pos) {
    for (std::uint8_t size = in.U8(pos++); size != 0; size = in.U8(pos++)) {
        in.Require(pos, size);
        pos += size;
    }
    return pos;
}

ImageInfo ReadGifImage(const detail::ByteReader& in, std::size_t pos, int screenWidth, int screenHeight,
                       bool globalColours) {
    const int left = in.U16le(pos);
    const int top = in.U16le(pos + 2);
    const int width = in.U16le(pos + 4);
    const int height = in.U16le(pos + 6);
    const std::uint8_t flags = in.U8(pos + 8);
    if (width == 0 || height == 0) Refuse("GIF", "the first image has no width or height");
    // Its colours would be undefined (and a system decoder was seen to crash on such a file).
    if (!globalColours && ColorTableBytes(flags) == 0) Refuse("GIF", "the first image has no colour table");
    CheckPictureSize(width, height);
    if (left >= screenWidth || top >= screenHeight) Refuse("GIF", "the first image lies outside the picture");
    // The code size byte that starts the image data must follow the local colour table.
    in.Require(pos + 9 + ColorTableBytes(flags), 1);
    ImageInfo info = WholePicture(ImageFormat::Gif, screenWidth, screenHeight);
    info.frameLeft = left;
    info.frameTop = top;
    info.frameWidth = width;
    info.frameHeight = height;
    return info;
}

ImageInfo ProbeGif(const std::vector<std::uint8_t>& file) {
    const detail::ByteReader in(file, "GIF");
    const int width = in.U16le(6);
    const int height = in.U16le(8);
    if (width == 0 || height == 0) Refuse("GIF", "the width or height is zero");
    CheckPictureSize(width, height);
    const std::size_t globalColours = ColorTableBytes(in.U8(10));
    std::size_t pos = 13 + globalColours;
    for (;;) {
        const std::uint8_t block = in.U8(pos++);
        if (block == 0x2C) return ReadGifImage(in, pos, width, height, globalColours != 0);
        if (block == 0x21) {
            pos = SkipSubBlocks(in, pos + 1);
        } else if (block == 0x3B) {
            Refuse("GIF", "it holds no image");
        } else {
            Refuse("GIF", "an unknown block was found before the first image");
        }
    }
}

ImageInfo ProbeBmp(const std::vector<std::uint8_t>& file) {
    const BmpHeader header = ParseBmpHeader(file);
    return WholePicture(ImageFormat::Bmp, header.width, header.height);
}

bool StartsWith(const std::vector<std::uint8_t>& file, const char* magic) {
    const std::size_t length = std::strlen(magic);
    return file.size() >= length && std::memcmp(file.data(), magic, length) == 0;
}

}  // namespace

ImageInfo ProbeImage(const std::vector<std::uint8_t>& file) {
    if (file.empty()) throw PictureError("The file is empty.");
    if (StartsWith(file, "\xFF\xD8")) return ProbeJpeg(file);
    if (StartsWith(file, "GIF87a") || StartsWith(file, "GIF89a")) return ProbeGif(file);
    if (StartsWith(file, "BM")) return ProbeBmp(file);
    throw PictureError("The file is not a JPEG, GIF or bitmap picture.");
}

Picture24 DecodePicture(const std::wstring& path) { return DecodePicture(path, DecodeHint{}); }

Bitmap DecodeImageFile(const std::wstring& path) { return ToBitmap(DecodePicture(path)); }

Bitmap DecodeImageFile(const std::wstring& path, const DecodeHint& hint) { return ToBitmap(DecodePicture(path, hint)); }

SizePx ReducedSize(int width, int height, int reduction) {
    const int step = 1 << reduction;
    return {(width + step - 1) / step, (height + step - 1) / step};
}

int DecodeReductionFor(int width, int height, SizePx needed) {
    for (int reduction = kMaxDecodeReduction; reduction > 0; --reduction) {
        const SizePx size = ReducedSize(width, height, reduction);
        if (size.width >= needed.width && size.height >= needed.height) return reduction;
    }
    return 0;
}

Picture24 DecodePicture(const std::wstring& path, const DecodeHint& hint) {
    std::vector<std::uint8_t> file;
    try {
        file = fs::ReadFile(path);
    } catch (const FileError& error) {
        throw PictureError(error.what());
    }
    const ImageInfo info = ProbeImage(file);
    // Only JPEG is ever reduced: its decoders can skip the work for the pixels left out.
    const int reduction = hint.needed && info.format == ImageFormat::Jpeg
                              ? DecodeReductionFor(info.width, info.height, hint.needed(info.width, info.height))
                              : 0;
    Picture24 bitmap;
    try {
        bitmap = CurrentPlatform().pictures.Decode(file, info, reduction);
    } catch (const std::bad_alloc&) {
        throw PictureError("There is not enough memory to decode the picture.");
    }
    if (reduction > 0 && (bitmap.width != info.width || bitmap.height != info.height)) {
        const SizePx reduced = ReducedSize(info.width, info.height, reduction);
        if (bitmap.width != reduced.width || bitmap.height != reduced.height) {
            throw PictureError("The decoded picture does not have the size its header declares.");
        }
        bitmap.fullWidth = info.width;
        bitmap.fullHeight = info.height;
    }
    if (bitmap.rows.size() != bitmap.RowBytes() * static_cast<std::size_t>(bitmap.height)) {
        throw PictureError("The decoded picture's rows do not match its size.");
    }
    return bitmap;
}

std::vector<std::uint8_t> Bmp24Headers(const Picture24& picture) {
    if (picture.empty()) throw PictureError("There is no picture to save.");
    CheckPictureSize(picture.width, picture.height);
    const std::uint64_t imageBytes = std::uint64_t{picture.RowBytes()} * static_cast<std::uint64_t>(picture.height);
    if (picture.rows.size() != imageBytes) throw PictureError("The picture's pixels do not match its size.");

    constexpr std::uint32_t kHeaders = 14 + 40;
    std::vector<std::uint8_t> out(kHeaders, 0);
    auto put16 = [&out](std::size_t at, std::uint32_t v) {
        out[at] = static_cast<std::uint8_t>(v);
        out[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    auto put32 = [&out](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    constexpr std::uint32_t kPixelsPerMetreAt96Dpi = 3780;
    out[0] = 'B';
    out[1] = 'M';
    put32(2, static_cast<std::uint32_t>(kHeaders + imageBytes));
    put32(10, kHeaders);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(picture.width));
    put32(22, static_cast<std::uint32_t>(picture.height));  // positive: rows stored bottom-up
    put16(26, 1);
    put16(28, 24);
    put32(34, static_cast<std::uint32_t>(imageBytes));
    put32(38, kPixelsPerMetreAt96Dpi);
    put32(42, kPixelsPerMetreAt96Dpi);
    return out;
}

namespace {

void CheckPixelCount(const Bitmap& bitmap) {
    if (bitmap.empty()) throw PictureError("There is no picture to save.");
    CheckPictureSize(bitmap.width, bitmap.height);
    if (bitmap.pixels.size() != static_cast<std::uint64_t>(bitmap.width) * static_cast<std::uint64_t>(bitmap.height)) {
        throw PictureError("The picture's pixels do not match its size.");
    }
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(const Bitmap& bitmap) {
    CheckPixelCount(bitmap);
    const Picture24 picture = ToPicture24(bitmap);
    std::vector<std::uint8_t> out = Bmp24Headers(picture);
    out.insert(out.end(), picture.rows.begin(), picture.rows.end());
    return out;
}

void SaveBitmapFile(const Picture24& picture, const std::wstring& path) {
    const std::vector<std::uint8_t> headers = Bmp24Headers(picture);
    try {
        fs::WritePartsAtomic(path, {{headers.data(), headers.size()}, {picture.rows.data(), picture.rows.size()}});
    } catch (const FileError& error) {
        throw PictureError("The picture could not be saved to " + base::ToUtf8(path) + ": " + error.what());
    }
}

void SaveBitmapFile(const Bitmap& bitmap, const std::wstring& path) {
    CheckPixelCount(bitmap);
    SaveBitmapFile(ToPicture24(bitmap), path);
}

std::int32_t PixelsToHimetric(int pixels) {
    // The quotient is exact to far better than a half, so halves are recognised exactly.
    const double himetric = static_cast<double>(static_cast<std::int64_t>(pixels) * 2540) / 96.0;
    return base::ToInt32(himetric);
}

}  // namespace tk
