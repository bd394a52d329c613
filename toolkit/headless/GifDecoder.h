// Decoding of the first frame of a GIF file in the headless backend.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/Pixels.h"

namespace tk::headless {

// The first frame placed on a canvas of the logical screen's size. Pixels the frame does not
// cover, transparent pixels and colour indices beyond the palette come out black; what sticks
// out of the screen is dropped. Damaged image data ends the frame early, leaving the rest black
// (as a partial picture). Throws PictureError for a file whose headers are not sane.
Bitmap DecodeGif(const std::vector<std::uint8_t>& file);

}  // namespace tk::headless
