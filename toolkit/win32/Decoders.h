// The two system decoders behind DecodeImageFile. Both receive a file that ProbeImage accepted
// and return the first frame composed on a canvas of the probed size, top-down, 0x00RRGGBB.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "toolkit/Image.h"

namespace tk::win32 {

// Thrown by DecodeWithWic when the component decodes the file but has no conversion of its
// pixel format to 32-bit colour (some bit-field layouts); the OLE loader may then be tried.
class WicFormatUnsupported : public PictureError {
public:
    using PictureError::PictureError;
};

// Empty when the imaging component cannot be created on this system. Throws PictureError when
// it refuses the file or decodes it at another size than the probed one. With a `reduction`
// above zero the picture may come at ReducedSize(info.width, info.height, reduction) instead.
std::optional<Bitmap> DecodeWithWic(const std::vector<std::uint8_t>& file, const ImageInfo& info,
                                    int reduction = 0);

// Throws PictureError when the loader refuses the file or its bitmap has another size.
Bitmap DecodeWithOlePicture(const std::vector<std::uint8_t>& file, const ImageInfo& info);

// Throws PictureError with `what` and the code when `hr` is a failure.
void CheckHr(long hr, const char* what);

// Copies `pixels` (top-down rows of `width` 32-bit BGRA values) onto `canvas` at (left, top),
// clipped, with the unused byte cleared. With `keepTransparent`, pixels of zero alpha are skipped.
void PlacePixels(const std::vector<std::uint32_t>& pixels, int width, int height, int left, int top,
                 bool keepTransparent, Bitmap& canvas);

}  // namespace tk::win32
