#include "toolkit/Pixels.h"

#include <string>

namespace tk {

Bitmap::Bitmap(int w, int h, std::uint32_t fill) {
    if (w < 0 || h < 0) throw PictureError("A picture cannot have a negative size.");
    if (w > 0 && h > 0) CheckPictureSize(w, h);
    pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill);
    width = w;
    height = h;
}

Picture24::Picture24(int w, int h) {
    if (w < 0 || h < 0) throw PictureError("A picture cannot have a negative size.");
    if (w > 0 && h > 0) CheckPictureSize(w, h);
    rows.assign(RowBytesFor(w) * static_cast<std::size_t>(h), 0);
    width = w;
    height = h;
}

Picture24 ToPicture24(const Bitmap& bitmap) {
    Picture24 picture(bitmap.width, bitmap.height);
    for (int y = 0; y < bitmap.height; ++y) {
        for (int x = 0; x < bitmap.width; ++x) picture.Set(x, y, bitmap.at(x, y));
    }
    picture.fullWidth = bitmap.fullWidth;
    picture.fullHeight = bitmap.fullHeight;
    return picture;
}

Bitmap ToBitmap(const Picture24& picture) {
    Bitmap bitmap(picture.width, picture.height);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) bitmap.at(x, y) = picture.at(x, y);
    }
    bitmap.fullWidth = picture.fullWidth;
    bitmap.fullHeight = picture.fullHeight;
    return bitmap;
}

void CheckPictureSize(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0) {
        throw PictureError("The picture has no width or height.");
    }
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels) {
        throw PictureError("The picture is too large (" + std::to_string(width) + " x " +
                           std::to_string(height) + " pixels).");
    }
}

}  // namespace tk
