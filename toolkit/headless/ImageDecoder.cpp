// Decoding in the headless backend: bitmaps and GIF (first frame) with our own decoders, JPEG
// with the portable stb_image decoder, restricted to that format. Every file passes the header
// checks of ProbeImage first.
#include <cstring>
#include <limits>
#include <memory>

#include "toolkit/DecodeFile.h"
#include "toolkit/Image.h"
#include "toolkit/headless/BmpDecoder.h"
#include "toolkit/headless/GifDecoder.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 65535
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-conversion"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace tk {

namespace {

struct StbFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

Bitmap DecodeJpeg(const std::vector<std::uint8_t>& file, const ImageInfo& info) {
    if (file.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) throw PictureError("The picture file is too large.");
    int width = 0;
    int height = 0;
    int channels = 0;
    const std::unique_ptr<stbi_uc, StbFree> rgba(
        stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width, &height, &channels, 4));
    if (!rgba) {
        throw PictureError(std::string("The picture could not be decoded (") + stbi_failure_reason() + ").");
    }
    if (width != info.width || height != info.height) {
        throw PictureError("The decoded picture does not have the size its header declares.");
    }
    Bitmap out(width, height);
    const stbi_uc* p = rgba.get();
    for (std::uint32_t& pixel : out.pixels) {
        pixel = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
        p += 4;
    }
    return out;
}

Bitmap DecodeProbed(const std::vector<std::uint8_t>& file, const ImageInfo& info) {
    switch (info.format) {
        case ImageFormat::Bmp: return headless::DecodeBmp(file);
        case ImageFormat::Gif: return headless::DecodeGif(file);
        default: return DecodeJpeg(file, info);
    }
}

}  // namespace

Bitmap DecodeImageFile(const std::wstring& path) { return DecodeImageFileWith(path, DecodeProbed); }

}  // namespace tk
