// The headers of a Windows bitmap file ("BM" file header, then a core, info, V2-V5 or OS/2 2.x
// header), read and checked so that every offset and size they give lies inside the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tk {

enum class BmpCompression : std::uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

struct BmpHeader {
    std::uint32_t infoSize = 0;   // 12, 40, 52, 56, 64, 108 or 124
    int width = 0;
    int height = 0;               // always positive; see topDown
    bool topDown = false;         // rows stored from the top (a negative height in the file)
    int bitCount = 0;             // 1, 4, 8, 16, 24 or 32
    BmpCompression compression = BmpCompression::Rgb;
    std::size_t paletteOffset = 0;
    int paletteEntries = 0;       // 0 for true-colour pictures
    int paletteEntrySize = 4;     // 3 in a core (OS/2 1.x) header
    std::size_t pixelOffset = 0;  // inside the file
    std::size_t pixelBytes = 0;   // from pixelOffset to the end of the pixel data or of the file
};

// Reads and checks the headers. Throws PictureError for anything not sane: unknown header sizes,
// zero or negative sizes, sizes beyond the picture limits, bit counts and compressions that do
// not go together, a palette or pixel data outside the file, a compressed picture stored top-down.
BmpHeader ParseBmpHeader(const std::vector<std::uint8_t>& file);

}  // namespace tk
