#include "toolkit/headless/BmpDecoder.h"

#include <algorithm>
#include <array>

#include "toolkit/BmpHeader.h"
#include "toolkit/ByteReader.h"

namespace tk::headless {

namespace {

using Palette = std::array<std::uint32_t, 256>;

Palette ReadPalette(const std::vector<std::uint8_t>& file, const BmpHeader& h) {
    Palette palette{};  // entries beyond the file's palette stay black
    for (int i = 0; i < h.paletteEntries && i < 256; ++i) {
        const std::size_t at = h.paletteOffset + static_cast<std::size_t>(i) * h.paletteEntrySize;
        palette[i] = (std::uint32_t{file[at + 2]} << 16) | (std::uint32_t{file[at + 1]} << 8) | file[at];
    }
    return palette;
}

// One colour channel described by a bit mask, widened or narrowed to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m) : mask(m) {
        if (mask == 0) return;
        while (((mask >> shift) & 1u) == 0) ++shift;
        max = mask >> shift;
    }
    std::uint32_t Value(std::uint32_t pixel) const {
        if (max == 0) return 0;
        const std::uint64_t v = (pixel & mask) >> shift;
        return static_cast<std::uint32_t>((v * 255 + max / 2) / max) & 0xFF;
    }
};

struct Masks {
    Channel red, green, blue;
};

Masks ReadMasks(const std::vector<std::uint8_t>& file, const BmpHeader& h) {
    if (h.compression == BmpCompression::BitFields) {
        const detail::ByteReader in(file, "bitmap");
        return {Channel(in.U32le(54)), Channel(in.U32le(58)), Channel(in.U32le(62))};
    }
    if (h.bitCount == 16) return {Channel(0x7C00), Channel(0x03E0), Channel(0x001F)};
    return {Channel(0xFF0000), Channel(0x00FF00), Channel(0x0000FF)};
}

std::uint32_t PackedPixel(const std::uint8_t* row, int x, int bits) {
    switch (bits) {
        case 16:
            return std::uint32_t{row[2 * x]} | (std::uint32_t{row[2 * x + 1]} << 8);
        case 24:
            return std::uint32_t{row[3 * x]} | (std::uint32_t{row[3 * x + 1]} << 8) | (std::uint32_t{row[3 * x + 2]} << 16);
        default:
            return std::uint32_t{row[4 * x]} | (std::uint32_t{row[4 * x + 1]} << 8) |
                   (std::uint32_t{row[4 * x + 2]} << 16) | (std::uint32_t{row[4 * x + 3]} << 24);
    }
}

int PaletteIndex(const std::uint8_t* row, int x, int bits) {
    const int perByte = 8 / bits;
    const int shift = 8 - bits * (x % perByte + 1);
    return (row[x / perByte] >> shift) & ((1 << bits) - 1);
}

int TargetRow(const BmpHeader& h, int storedRow) { return h.topDown ? storedRow : h.height - 1 - storedRow; }

Bitmap DecodeUncompressed(const std::vector<std::uint8_t>& file, const BmpHeader& h) {
    Bitmap out(h.width, h.height);
    const std::size_t rowBytes = (static_cast<std::size_t>(h.width) * h.bitCount + 31) / 32 * 4;
    const Palette palette = ReadPalette(file, h);
    const Masks masks = ReadMasks(file, h);
    for (int stored = 0; stored < h.height; ++stored) {
        const std::uint8_t* row = file.data() + h.pixelOffset + rowBytes * static_cast<std::size_t>(stored);
        const int y = TargetRow(h, stored);
        for (int x = 0; x < h.width; ++x) {
            if (h.bitCount <= 8) {
                out.at(x, y) = palette[PaletteIndex(row, x, h.bitCount)];
                continue;
            }
            const std::uint32_t v = PackedPixel(row, x, h.bitCount);
            out.at(x, y) = (masks.red.Value(v) << 16) | (masks.green.Value(v) << 8) | masks.blue.Value(v);
        }
    }
    return out;
}

// RLE4/RLE8: runs and literal stretches of palette indices, with end-of-line, end-of-bitmap and
// delta escapes. Whatever would fall outside the picture is dropped.
class RleDecoder {
public:
    RleDecoder(const std::vector<std::uint8_t>& file, const BmpHeader& h)
        : data_(file.data() + h.pixelOffset), size_(h.pixelBytes), h_(h),
          palette_(ReadPalette(file, h)), out_(h.width, h.height, palette_[0]) {}

    Bitmap Run() {
        while (pos_ + 2 <= size_ && row_ < h_.height) {
            const std::uint8_t count = data_[pos_++];
            const std::uint8_t value = data_[pos_++];
            if (count > 0) {
                PutRun(value, count);
            } else if (!Escape(value)) {
                break;
            }
        }
        return std::move(out_);
    }

private:
    int Nibble(std::uint8_t value, int i) const {
        if (h_.bitCount == 8) return value;
        return (i % 2 == 0) ? value >> 4 : value & 0x0F;
    }
    // Pixels beyond the right edge are dropped; x stays clamped there, so no count can overflow.
    void Put(int index) {
        if (x_ < h_.width) out_.at(x_++, h_.height - 1 - row_) = palette_[index];
    }
    void PutRun(std::uint8_t value, int count) {
        for (int i = 0; i < count && x_ < h_.width; ++i) Put(Nibble(value, i));
    }
    // Returns false at the end of the bitmap.
    bool Escape(std::uint8_t code) {
        switch (code) {
            case 0:  // end of line
                x_ = 0;
                ++row_;
                return true;
            case 1:  // end of bitmap
                return false;
            case 2:  // delta
                if (pos_ + 2 > size_) return false;
                x_ = std::min(x_ + data_[pos_], h_.width);
                row_ += data_[pos_ + 1];
                pos_ += 2;
                return true;
            default:
                return Literal(code);
        }
    }
    bool Literal(int count) {
        const std::size_t bytes = h_.bitCount == 8 ? count : (count + 1) / 2;
        const std::size_t padded = (bytes + 1) / 2 * 2;
        if (pos_ + bytes > size_) return false;
        for (int i = 0; i < count && x_ < h_.width; ++i) {
            const std::uint8_t byte = data_[pos_ + (h_.bitCount == 8 ? i : i / 2)];
            Put(Nibble(byte, i));
        }
        pos_ += padded;
        return true;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    const BmpHeader& h_;
    Palette palette_;
    Bitmap out_;
    std::size_t pos_ = 0;
    int x_ = 0;
    int row_ = 0;  // counted from the bottom
};

}  // namespace

Bitmap DecodeBmp(const std::vector<std::uint8_t>& file) {
    const BmpHeader header = ParseBmpHeader(file);
    if (header.compression == BmpCompression::Rle8 || header.compression == BmpCompression::Rle4) {
        return RleDecoder(file, header).Run();
    }
    return DecodeUncompressed(file, header);
}

}  // namespace tk::headless
