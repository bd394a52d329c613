// Decoding with the OLE picture loader: the bytes go in through a stream on global memory; the
// loaded picture is drawn into a 32-bit DIB section of its bitmap's pixel size (read from the
// bitmap itself, not from its HIMETRIC size, which depends on the display's resolution), whose
// rows are then packed into the picture's 24-bit ones. The section starts black, so transparent GIF pixels stay black. A GIF whose first image is smaller
// than its screen loads at the image's size; it is placed on the screen at the image's offset.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstring>

#include "base/win32/Handles.h"
#include "base/win32/WinCalls.h"
#include "toolkit/win32/Decoders.h"

namespace tk::win32 {

using base::win32::ComPtr;
using base::win32::SelectScope;
using base::win32::UniqueBitmap;
using base::win32::UniqueGlobal;
using base::win32::UniqueMemoryDc;

namespace {

ComPtr<IStream> StreamOver(const std::vector<std::uint8_t>& file) {
    UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, file.size()));
    if (!memory) throw std::bad_alloc();
    void* target = ::GlobalLock(memory.Get());
    if (target == nullptr) throw std::bad_alloc();
    std::memcpy(target, file.data(), file.size());
    ::GlobalUnlock(memory.Get());
    ComPtr<IStream> stream;
    CheckHr(::CreateStreamOnHGlobal(memory.Get(), TRUE, stream.Put()), "CreateStreamOnHGlobal");
    memory.Release();  // the stream frees it now
    return stream;
}

ComPtr<IPicture> LoadPicture(const std::vector<std::uint8_t>& file) {
    ComPtr<IStream> stream = StreamOver(file);
    ComPtr<IPicture> picture;
    CheckHr(::OleLoadPicture(stream.Get(), static_cast<LONG>(file.size()), FALSE, IID_IPicture, picture.PutVoid()),
            "OleLoadPicture");
    SHORT type = PICTYPE_NONE;
    CheckHr(picture->get_Type(&type), "get_Type");
    if (type != PICTYPE_BITMAP) throw PictureError("The file does not hold a bitmap picture.");
    return picture;
}

SIZE BitmapSize(IPicture* picture) {
    OLE_HANDLE handle = 0;
    CheckHr(picture->get_Handle(&handle), "get_Handle");
    BITMAP bitmap{};
    if (base::win32::GetObjectT(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof bitmap, &bitmap) == 0) {
        throw PictureError("The loaded picture has no readable bitmap.");
    }
    return SIZE{bitmap.bmWidth, bitmap.bmHeight < 0 ? -bitmap.bmHeight : bitmap.bmHeight};
}

// The picture drawn into a 32-bit DIB section, its rows then packed into `place`.
template <typename Place>
void Render(IPicture* picture, int width, int height, Place place) {
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = -height;  // top-down
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    const UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc) throw PictureError("No drawing surface is available to decode the picture.");
    void* bits = nullptr;
    const UniqueBitmap section(::CreateDIBSection(dc.Get(), &header, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || bits == nullptr) throw std::bad_alloc();
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    CheckHr(picture->get_Width(&himetricWidth), "get_Width");
    CheckHr(picture->get_Height(&himetricHeight), "get_Height");
    {
        const SelectScope selected(dc.Get(), section.Get());
        CheckHr(picture->Render(dc.Get(), 0, 0, width, height, 0, himetricHeight, himetricWidth, -himetricHeight,
                                nullptr),
                "Render");
        ::GdiFlush();
    }
    place(static_cast<const std::uint32_t*>(bits));
}

}  // namespace

Picture24 DecodeWithOlePicture(const std::vector<std::uint8_t>& file, const ImageInfo& info) {
    const ComPtr<IPicture> picture = LoadPicture(file);
    const SIZE size = BitmapSize(picture.Get());
    const bool whole = size.cx == info.width && size.cy == info.height;
    const bool gifFrame = info.format == ImageFormat::Gif && size.cx == info.frameWidth && size.cy == info.frameHeight;
    if (!whole && !gifFrame) throw PictureError("The decoded picture does not have the size its header declares.");
    const int width = static_cast<int>(size.cx);
    const int height = static_cast<int>(size.cy);
    Picture24 canvas(info.width, info.height);
    Render(picture.Get(), width, height, [&](const std::uint32_t* pixels) {
        if (whole) {
            for (int y = 0; y < height; ++y) {
                std::uint8_t* out = canvas.Row(y);
                for (int x = 0; x < width; ++x, ++pixels, out += 3) {
                    out[0] = static_cast<std::uint8_t>(*pixels);
                    out[1] = static_cast<std::uint8_t>(*pixels >> 8);
                    out[2] = static_cast<std::uint8_t>(*pixels >> 16);
                }
            }
        } else {
            PlaceRows(pixels, width, 0, height, info.frameLeft, info.frameTop, false, canvas);
        }
    });
    return canvas;
}

}  // namespace tk::win32
