#include "toolkit/BmpHeader.h"

#include <algorithm>
#include <cstdlib>

#include "toolkit/ByteReader.h"
#include "toolkit/Pixels.h"

namespace tk {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kOs2HeaderSize = 64;

[[noreturn]] void Refuse(const char* why) {
    throw PictureError(std::string("The bitmap file is not valid: ") + why + ".");
}

bool KnownInfoSize(std::uint32_t size) {
    switch (size) {
        case 12: case 40: case 52: case 56: case 64: case 108: case 124:
            return true;
        default:
            return false;
    }
}

bool KnownBitCount(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

void CheckCompression(const BmpHeader& h) {
    switch (h.compression) {
        case BmpCompression::Rgb:
            return;
        case BmpCompression::Rle8:
            if (h.bitCount != 8) Refuse("RLE8 compression needs 8 bits per pixel");
            break;
        case BmpCompression::Rle4:
            if (h.bitCount != 4) Refuse("RLE4 compression needs 4 bits per pixel");
            break;
        case BmpCompression::BitFields:
            if (h.bitCount != 16 && h.bitCount != 32) Refuse("bit fields need 16 or 32 bits per pixel");
            if (h.infoSize == kOs2HeaderSize) Refuse("unsupported OS/2 compression");
            return;
        default:
            Refuse("unsupported compression");
    }
    if (h.topDown) Refuse("a compressed bitmap cannot be stored top-down");
}

// Width, height and bit count from a core (OS/2 1.x) header or from any later one.
void ReadDimensions(const detail::ByteReader& in, BmpHeader& h) {
    std::int64_t width = 0;
    std::int64_t height = 0;
    int planes = 0;
    std::uint32_t compression = 0;
    if (h.infoSize == kCoreHeaderSize) {
        width = in.U16le(18);
        height = in.U16le(20);
        planes = in.U16le(22);
        h.bitCount = in.U16le(24);
    } else {
        width = in.I32le(18);
        height = in.I32le(22);
        planes = in.U16le(26);
        h.bitCount = in.U16le(28);
        compression = in.U32le(30);
    }
    if (width <= 0 || height == 0) Refuse("the width or height is zero or negative");
    h.topDown = height < 0;
    height = std::llabs(height);
    CheckPictureSize(width, height);
    h.width = static_cast<int>(width);
    h.height = static_cast<int>(height);
    if (planes != 1) Refuse("the plane count is not 1");
    if (!KnownBitCount(h.bitCount)) Refuse("unsupported bit count");
    if (compression > static_cast<std::uint32_t>(BmpCompression::BitFields)) Refuse("unsupported compression");
    h.compression = static_cast<BmpCompression>(compression);
}

// The palette follows the header (and the three colour masks of a 40-byte header with bit
// fields); it must lie inside the file. A count larger than the bit count allows is refused.
void ReadPalette(const detail::ByteReader& in, BmpHeader& h) {
    const bool separateMasks = h.infoSize == kInfoHeaderSize && h.compression == BmpCompression::BitFields;
    h.paletteOffset = kFileHeaderSize + h.infoSize + (separateMasks ? 12 : 0);
    in.Require(kFileHeaderSize, h.paletteOffset - kFileHeaderSize);
    h.paletteEntrySize = h.infoSize == kCoreHeaderSize ? 3 : 4;
    if (h.bitCount > 8) {
        h.paletteEntries = 0;
        return;
    }
    const std::uint32_t full = 1u << h.bitCount;
    std::uint32_t entries = full;
    if (h.infoSize == kCoreHeaderSize) {
        // A core header has no colour count; a shorter palette ends where the pixels begin.
        const std::uint64_t pixelOffset = in.U32le(10);
        if (pixelOffset > h.paletteOffset) {
            entries = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(full, (pixelOffset - h.paletteOffset) / 3));
        }
    } else if (const std::uint32_t used = in.U32le(46); used != 0) {
        entries = used;
    }
    if (entries == 0 || entries > full) Refuse("the palette size does not match the bit count");
    if (!in.Has(h.paletteOffset, std::uint64_t{entries} * h.paletteEntrySize)) Refuse("the palette is cut short");
    h.paletteEntries = static_cast<int>(entries);
}

// Where the pixels start and how many bytes they take. Uncompressed rows must all be present;
// compressed data must not be declared longer than the file.
void ReadPixelExtent(const detail::ByteReader& in, BmpHeader& h) {
    const std::uint64_t offset = in.U32le(10);
    if (offset < h.paletteOffset || offset >= in.size()) Refuse("the pixel data offset is out of range");
    h.pixelOffset = static_cast<std::size_t>(offset);
    const std::uint64_t available = in.size() - offset;
    if (h.compression == BmpCompression::Rle8 || h.compression == BmpCompression::Rle4) {
        const std::uint64_t declared = in.U32le(34);
        if (declared > available) Refuse("the compressed pixel data is cut short");
        h.pixelBytes = static_cast<std::size_t>(declared != 0 ? declared : available);
        return;
    }
    const std::uint64_t rowBytes = (std::uint64_t{static_cast<std::uint32_t>(h.width)} * h.bitCount + 31) / 32 * 4;
    const std::uint64_t needed = rowBytes * static_cast<std::uint64_t>(h.height);
    if (needed > available) Refuse("the pixel data is cut short");
    h.pixelBytes = static_cast<std::size_t>(needed);
}

}  // namespace

BmpHeader ParseBmpHeader(const std::vector<std::uint8_t>& file) {
    const detail::ByteReader in(file, "bitmap");
    if (in.U8(0) != 'B' || in.U8(1) != 'M') Refuse("it does not start with BM");
    BmpHeader h;
    h.infoSize = in.U32le(kFileHeaderSize);
    if (!KnownInfoSize(h.infoSize)) Refuse("unknown header size");
    in.Require(kFileHeaderSize, h.infoSize);
    ReadDimensions(in, h);
    CheckCompression(h);
    ReadPalette(in, h);
    ReadPixelExtent(in, h);
    return h;
}

}  // namespace tk
