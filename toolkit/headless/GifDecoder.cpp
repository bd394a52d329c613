#include "toolkit/headless/GifDecoder.h"

#include <array>

#include "toolkit/ByteReader.h"
#include "toolkit/Image.h"

namespace tk::headless {

namespace {

using Palette = std::array<std::uint32_t, 256>;

constexpr int kMaxCodes = 4096;

std::size_t TableBytes(std::uint8_t flags) { return (flags & 0x80) != 0 ? 3u * (2u << (flags & 0x07)) : 0u; }

Palette ReadTable(const detail::ByteReader& in, std::size_t pos, std::uint8_t flags) {
    Palette palette{};
    const std::size_t entries = TableBytes(flags) / 3;
    for (std::size_t i = 0; i < entries; ++i) {
        palette[i] = (std::uint32_t{in.U8(pos + 3 * i)} << 16) | (std::uint32_t{in.U8(pos + 3 * i + 1)} << 8) |
                     in.U8(pos + 3 * i + 2);
    }
    return palette;
}

// The image data sub-blocks joined together; a missing terminator just ends the data.
std::vector<std::uint8_t> JoinSubBlocks(const std::vector<std::uint8_t>& file, std::size_t pos) {
    std::vector<std::uint8_t> data;
    while (pos < file.size()) {
        const std::size_t size = file[pos++];
        if (size == 0) break;
        const std::size_t end = pos + size < file.size() ? pos + size : file.size();
        data.insert(data.end(), file.begin() + static_cast<long>(pos), file.begin() + static_cast<long>(end));
        pos = end;
    }
    return data;
}

// Where decoded pixels go: rows in order or in the four interlaced passes, clipped to the canvas.
class FrameWriter {
public:
    FrameWriter(Bitmap& canvas, const ImageInfo& info, bool interlaced, const Palette& palette, int transparent)
        : canvas_(canvas), info_(info), interlaced_(interlaced), palette_(palette), transparent_(transparent) {}

    bool Full() const { return row_ >= info_.frameHeight; }

    void Put(int index) {
        if (Full()) return;
        const int x = info_.frameLeft + column_;
        const int y = info_.frameTop + RowOnCanvas();
        if (index != transparent_ && x < canvas_.width && y < canvas_.height) canvas_.at(x, y) = palette_[index];
        if (++column_ == info_.frameWidth) {
            column_ = 0;
            ++row_;
        }
    }

private:
    // Interlaced rows come in passes: every 8th from 0, every 8th from 4, every 4th from 2,
    // every 2nd from 1.
    int RowOnCanvas() const {
        if (!interlaced_) return row_;
        const int h = info_.frameHeight;
        const int pass1 = (h + 7) / 8;
        const int pass2 = (h + 3) / 8;
        const int pass3 = (h + 1) / 4;
        int r = row_;
        if (r < pass1) return r * 8;
        r -= pass1;
        if (r < pass2) return 4 + r * 8;
        r -= pass2;
        if (r < pass3) return 2 + r * 4;
        return 1 + (r - pass3) * 2;
    }

    Bitmap& canvas_;
    const ImageInfo& info_;
    bool interlaced_;
    const Palette& palette_;
    int transparent_;
    int column_ = 0;
    int row_ = 0;
};

// Variable-width LZW as GIF uses it. An invalid code ends the frame.
class LzwDecoder {
public:
    LzwDecoder(const std::vector<std::uint8_t>& data, int minCodeSize)
        : data_(data), clear_(1 << minCodeSize), minCodeSize_(minCodeSize) {
        for (int i = 0; i < clear_; ++i) {
            prefix_[i] = -1;
            suffix_[i] = static_cast<std::uint8_t>(i);
        }
        Reset();
    }

    void Run(FrameWriter& out) {
        int previous = -1;
        for (int code = NextCode(); code >= 0 && !out.Full(); code = NextCode()) {
            if (code == clear_) {
                Reset();
                previous = -1;
                continue;
            }
            if (code == clear_ + 1) return;  // end of information
            if (code > next_ || (code == next_ && previous < 0)) return;
            if (previous >= 0 && next_ < kMaxCodes) {
                prefix_[next_] = previous;
                suffix_[next_] = FirstOf(code == next_ ? previous : code);
                ++next_;
                if (next_ == (1 << codeSize_) && codeSize_ < 12) ++codeSize_;
            }
            Emit(code, out);
            previous = code;
        }
    }

private:
    void Reset() {
        codeSize_ = minCodeSize_ + 1;
        next_ = clear_ + 2;
    }
    std::uint8_t FirstOf(int code) const {
        while (prefix_[code] >= 0) code = prefix_[code];
        return suffix_[code];
    }
    void Emit(int code, FrameWriter& out) {
        std::array<std::uint8_t, kMaxCodes> stack;
        int n = 0;
        for (int c = code; c >= 0 && n < kMaxCodes; c = prefix_[c]) stack[n++] = suffix_[c];
        while (n > 0) out.Put(stack[--n]);
    }
    int NextCode() {
        while (bits_ < codeSize_) {
            if (pos_ >= data_.size()) return -1;
            buffer_ |= std::uint32_t{data_[pos_++]} << bits_;
            bits_ += 8;
        }
        const int code = static_cast<int>(buffer_ & ((1u << codeSize_) - 1));
        buffer_ >>= codeSize_;
        bits_ -= codeSize_;
        return code;
    }

    const std::vector<std::uint8_t>& data_;
    const int clear_;
    const int minCodeSize_;
    int codeSize_ = 0;
    int next_ = 0;
    std::size_t pos_ = 0;
    std::uint32_t buffer_ = 0;
    int bits_ = 0;
    std::array<int, kMaxCodes> prefix_{};
    std::array<std::uint8_t, kMaxCodes> suffix_{};
};

}  // namespace

Bitmap DecodeGif(const std::vector<std::uint8_t>& file) {
    const ImageInfo info = ProbeImage(file);
    const detail::ByteReader in(file, "GIF");
    const std::uint8_t screenFlags = in.U8(10);
    Palette palette = ReadTable(in, 13, screenFlags);
    int transparent = -1;
    std::size_t pos = 13 + TableBytes(screenFlags);
    while (in.U8(pos) == 0x21) {  // extensions before the first image (ProbeImage found one)
        const std::uint8_t label = in.U8(pos + 1);
        if (label == 0xF9 && in.U8(pos + 2) >= 4 && (in.U8(pos + 3) & 1) != 0) transparent = in.U8(pos + 6);
        pos += 2;
        for (std::uint8_t size = in.U8(pos++); size != 0; size = in.U8(pos++)) pos += size;
    }
    const std::uint8_t frameFlags = in.U8(pos + 9);
    if ((frameFlags & 0x80) != 0) palette = ReadTable(in, pos + 10, frameFlags);
    pos += 10 + TableBytes(frameFlags);
    const int minCodeSize = in.U8(pos);
    Bitmap canvas(info.width, info.height);
    if (minCodeSize < 1 || minCodeSize > 11) return canvas;  // no usable image data
    FrameWriter writer(canvas, info, (frameFlags & 0x40) != 0, palette, transparent);
    LzwDecoder(JoinSubBlocks(file, pos + 1), minCodeSize).Run(writer);
    return canvas;
}

}  // namespace tk::headless
