// Bounds-checked reading of little- and big-endian integers from a file held in memory. Every
// read past the end throws PictureError, so header parsers never index outside the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/Pixels.h"

namespace tk::detail {

class ByteReader {
public:
    ByteReader(const std::vector<std::uint8_t>& bytes, const char* what) : bytes_(bytes), what_(what) {}

    std::size_t size() const { return bytes_.size(); }
    // True when `count` bytes starting at `offset` lie inside the file (no overflow).
    bool Has(std::uint64_t offset, std::uint64_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    void Require(std::uint64_t offset, std::uint64_t count) const {
        if (!Has(offset, count)) {
            throw PictureError(std::string("The ") + what_ + " file is cut short.");
        }
    }
    std::uint8_t U8(std::size_t offset) const {
        Require(offset, 1);
        return bytes_[offset];
    }
    std::uint16_t U16le(std::size_t offset) const {
        Require(offset, 2);
        return static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
    }
    std::uint16_t U16be(std::size_t offset) const {
        Require(offset, 2);
        return static_cast<std::uint16_t>((bytes_[offset] << 8) | bytes_[offset + 1]);
    }
    std::uint32_t U32le(std::size_t offset) const {
        Require(offset, 4);
        return static_cast<std::uint32_t>(bytes_[offset]) |
               (static_cast<std::uint32_t>(bytes_[offset + 1]) << 8) |
               (static_cast<std::uint32_t>(bytes_[offset + 2]) << 16) |
               (static_cast<std::uint32_t>(bytes_[offset + 3]) << 24);
    }
    std::int32_t I32le(std::size_t offset) const { return static_cast<std::int32_t>(U32le(offset)); }

private:
    const std::vector<std::uint8_t>& bytes_;
    const char* what_;
};

}  // namespace tk::detail
