// The part of DecodeImageFile that every backend shares. Internal to the toolkit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/Image.h"

namespace tk {

// Decodes a whole file that ProbeImage accepted, as `info` describes it. With a `reduction` above
// zero (only ever for a JPEG) the decoder may deliver ReducedSize(info.width, info.height,
// reduction) pixels instead of the whole picture; it returns one of the two sizes. Throws
// PictureError.
using ProbedDecoder = Bitmap (*)(const std::vector<std::uint8_t>& file, const ImageInfo& info, int reduction);

// Reads the file at `path`, checks it with ProbeImage and only then hands it to `decode`, with
// the reduction `hint` allows for the probed size. A reduced result records the full size.
// A file that cannot be read, and running out of memory while decoding, are PictureErrors too.
Bitmap DecodeImageFileWith(const std::wstring& path, ProbedDecoder decode, const DecodeHint& hint = {});

}  // namespace tk
