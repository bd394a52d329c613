// Decoding of Windows bitmap files in the headless backend: 1, 4 and 8-bit palettes (also
// RLE4/RLE8 compressed), 16 and 32-bit pixels with default or explicit colour masks, 24-bit.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/Pixels.h"

namespace tk::headless {

// `file` is a whole bitmap file. Pixels that RLE data skips or leaves out take the first palette
// colour (the index a zero-filled bitmap holds); palette indices beyond the palette come out black.
// Throws PictureError for a file whose headers are not sane.
Bitmap DecodeBmp(const std::vector<std::uint8_t>& file);

}  // namespace tk::headless
