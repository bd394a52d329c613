// Decoding in the headless backend: bitmaps and GIF (first frame) with our own decoders, JPEG
// with the portable stb_image decoder, restricted to that format. Every file passes the header
// checks of ProbeImage first. stb_image has no reduced JPEG decode: a reduced picture is the
// whole one averaged over blocks of 2^reduction pixels per side, so that the picture kept is
// the small one, as on Windows.
#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "toolkit/Image.h"
#include "toolkit/headless/BmpDecoder.h"
#include "toolkit/headless/GifDecoder.h"
#include "toolkit/headless/HeadlessParts.h"

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

Picture24 DecodeJpeg(const std::vector<std::uint8_t>& file, const ImageInfo& info) {
    if (file.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) throw PictureError("The picture file is too large.");
    int width = 0;
    int height = 0;
    int channels = 0;
    const std::unique_ptr<stbi_uc, StbFree> rgb(
        stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width, &height, &channels, 3));
    if (!rgb) {
        throw PictureError(std::string("The picture could not be decoded (") + stbi_failure_reason() + ").");
    }
    if (width != info.width || height != info.height) {
        throw PictureError("The decoded picture does not have the size its header declares.");
    }
    Picture24 out(width, height);
    const stbi_uc* p = rgb.get();
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = out.Row(y);
        for (int x = 0; x < width; ++x, p += 3, row += 3) {
            row[0] = p[2];
            row[1] = p[1];
            row[2] = p[0];
        }
    }
    return out;
}

// Each output pixel is the mean of its block; blocks at the right and bottom edges may be cut.
Picture24 Reduce(const Picture24& whole, int reduction) {
    const SizePx size = ReducedSize(whole.width, whole.height, reduction);
    const int step = 1 << reduction;
    Picture24 out(size.width, size.height);
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(size.width) * 3);
    for (int oy = 0; oy < size.height; ++oy) {
        std::fill(sums.begin(), sums.end(), 0u);
        const int y1 = std::min(whole.height, (oy + 1) * step);
        for (int y = oy * step; y < y1; ++y) {
            const std::uint8_t* pixel = whole.Row(y);
            for (int x = 0; x < whole.width; ++x, pixel += 3) {
                std::uint32_t* sum = &sums[static_cast<std::size_t>(x >> reduction) * 3];
                sum[0] += pixel[2];
                sum[1] += pixel[1];
                sum[2] += pixel[0];
            }
        }
        const int rows = y1 - oy * step;
        for (int ox = 0; ox < size.width; ++ox) {
            const std::uint32_t count =
                static_cast<std::uint32_t>(rows * (std::min(whole.width, (ox + 1) * step) - ox * step));
            const std::uint32_t* sum = &sums[static_cast<std::size_t>(ox) * 3];
            out.Set(ox, oy, ((sum[0] + count / 2) / count) << 16 | ((sum[1] + count / 2) / count) << 8 |
                                ((sum[2] + count / 2) / count));
        }
    }
    return out;
}

// Bitmaps and GIFs are decoded by our own decoders into 32-bit pixels, then packed.
Picture24 DecodeProbed(const std::vector<std::uint8_t>& file, const ImageInfo& info, int reduction) {
    switch (info.format) {
        case ImageFormat::Bmp: return ToPicture24(headless::DecodeBmp(file));
        case ImageFormat::Gif: return ToPicture24(headless::DecodeGif(file));
        default: {
            Picture24 whole = DecodeJpeg(file, info);
            return reduction > 0 ? Reduce(whole, reduction) : whole;
        }
    }
}

}  // namespace

namespace headless {

Picture24 HeadlessPictures::Decode(const std::vector<std::uint8_t>& file, const ImageInfo& info,
                                   int reduction) {
    return DecodeProbed(file, info, reduction);
}

}  // namespace headless
}  // namespace tk
