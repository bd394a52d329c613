// The two system decoders behind DecodeImageFile. Both receive a file that ProbeImage accepted
// and return the first frame composed on a canvas of the probed size.
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
std::optional<Picture24> DecodeWithWic(const std::vector<std::uint8_t>& file, const ImageInfo& info,
                                    int reduction = 0);

// Throws PictureError when the loader refuses the file or its bitmap has another size.
Picture24 DecodeWithOlePicture(const std::vector<std::uint8_t>& file, const ImageInfo& info);

// Throws PictureError with `what` and the code when `hr` is a failure.
void CheckHr(long hr, const char* what);

// Copies rows firstRow .. firstRow + rows - 1 of a frame `width` pixels wide (`band`: those rows,
// top-down, 32-bit BGRA) onto `canvas`, the frame's top-left corner at (left, top), clipped. With
// `keepTransparent`, pixels of zero alpha are skipped.
void PlaceRows(const std::uint32_t* band, int width, int firstRow, int rows, int left, int top,
               bool keepTransparent, Picture24& canvas);

}  // namespace tk::win32
