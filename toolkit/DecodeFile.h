// The part of DecodeImageFile that every backend shares. Internal to the toolkit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/Image.h"

namespace tk {

// Decodes a whole file that ProbeImage accepted, as `info` describes it. Throws PictureError.
using ProbedDecoder = Bitmap (*)(const std::vector<std::uint8_t>& file, const ImageInfo& info);

// Reads the file at `path`, checks it with ProbeImage and only then hands it to `decode`.
// A file that cannot be read, and running out of memory while decoding, are PictureErrors too.
Bitmap DecodeImageFileWith(const std::wstring& path, ProbedDecoder decode);

}  // namespace tk
