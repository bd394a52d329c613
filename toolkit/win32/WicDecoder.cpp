// Decoding with the Windows Imaging Component: a decoder for the bytes in memory (the format
// recognised by content), its first frame read into the picture's 24-bit rows. Pixels already
// 24-bit BGR (most JPEGs) are read row by row straight into their place; any other format goes
// through a converter to 32-bit BGRA, read in bands of bounded size. A GIF frame comes at its own
// size; it is placed on the logical screen at its offset, its transparent pixels left black.
//
// A reduced decode asks the frame's own decoder for the smaller size (IWICBitmapSourceTransform:
// a JPEG decoder skips most of the work for the pixels left out). A decoder that does not offer
// that size is read through a scaler instead, which still saves converting and keeping every
// pixel of the whole picture.
#include <windows.h>
#include <wincodec.h>

#include <algorithm>

#include "base/win32/Handles.h"
#include "toolkit/win32/Decoders.h"

namespace tk::win32 {

using base::win32::ComPtr;

namespace {

// Not declared by the MinGW headers; as in the Windows SDK.
struct IWICBitmapSourceTransformDecl : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT width, UINT height,
                                                 WICPixelFormatGUID* format, WICBitmapTransformOptions transform,
                                                 UINT stride, UINT bufferSize, BYTE* buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* width, UINT* height) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(WICPixelFormatGUID* format) = 0;
    virtual HRESULT STDMETHODCALLTYPE DoesSupportTransformation(WICBitmapTransformOptions transform,
                                                                BOOL* supported) = 0;
};
constexpr IID kIidSourceTransform = {0x3b16811b, 0x6a43, 0x4ec9, {0xb7, 0x13, 0x3d, 0x5a, 0x0c, 0x13, 0xb9, 0x40}};

// The frame's pixels at exactly width x height as decoded by its own decoder, or null when the
// decoder offers no such size (or fails to deliver it; the caller then takes another way).
ComPtr<IWICBitmapSource> DecodedSmaller(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, UINT width,
                                        UINT height) {
    ComPtr<IWICBitmapSourceTransformDecl> transform;
    if (FAILED(frame->QueryInterface(kIidSourceTransform, transform.PutVoid()))) return {};
    UINT closestWidth = width;
    UINT closestHeight = height;
    if (FAILED(transform->GetClosestSize(&closestWidth, &closestHeight)) || closestWidth != width ||
        closestHeight != height) {
        return {};
    }
    BOOL upright = FALSE;
    if (FAILED(transform->DoesSupportTransformation(WICBitmapTransformRotate0, &upright)) || !upright) return {};
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (FAILED(transform->GetClosestPixelFormat(&format))) return {};
    ComPtr<IWICBitmap> bitmap;
    if (FAILED(factory->CreateBitmap(width, height, format, WICBitmapCacheOnLoad, bitmap.Put()))) return {};
    {
        const WICRect all{0, 0, static_cast<INT>(width), static_cast<INT>(height)};
        ComPtr<IWICBitmapLock> lock;
        if (FAILED(bitmap->Lock(&all, WICBitmapLockWrite, lock.Put()))) return {};
        UINT stride = 0;
        UINT size = 0;
        BYTE* data = nullptr;
        if (FAILED(lock->GetStride(&stride)) || FAILED(lock->GetDataPointer(&size, &data)) || data == nullptr ||
            FAILED(transform->CopyPixels(nullptr, width, height, &format, WICBitmapTransformRotate0, stride, size,
                                         data))) {
            return {};
        }
    }
    ComPtr<IWICBitmapSource> source;
    if (FAILED(bitmap->QueryInterface(IID_IWICBitmapSource, source.PutVoid()))) return {};
    return source;
}

// The frame read through a scaler at width x height, or null when no scaler is available.
ComPtr<IWICBitmapSource> Scaled(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, UINT width, UINT height) {
    ComPtr<IWICBitmapScaler> scaler;
    if (FAILED(factory->CreateBitmapScaler(scaler.Put())) ||
        FAILED(scaler->Initialize(frame, width, height, WICBitmapInterpolationModeFant))) {
        return {};
    }
    ComPtr<IWICBitmapSource> source;
    if (FAILED(scaler->QueryInterface(IID_IWICBitmapSource, source.PutVoid()))) return {};
    return source;
}

// The first frame's pixels at the size they come at, and what they are read from (kept alive
// while the pixels are copied out).
struct Frame {
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> source;
    ComPtr<IWICBitmapSource> pixels;
    UINT width = 0;
    UINT height = 0;
};

// `reduced` is the size wanted when smaller than the frame; it is honoured only for a frame of
// the picture's full size. The frame comes at that size or at its own.
Frame ReadFirstFrame(IWICImagingFactory* factory, const std::vector<std::uint8_t>& file, const ImageInfo& info,
                     SizePx reduced) {
    Frame frame;
    CheckHr(factory->CreateStream(frame.stream.Put()), "CreateStream");
    CheckHr(frame.stream->InitializeFromMemory(const_cast<BYTE*>(file.data()), static_cast<DWORD>(file.size())),
            "InitializeFromMemory");
    CheckHr(factory->CreateDecoderFromStream(frame.stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                             frame.decoder.Put()),
            "CreateDecoderFromStream");
    CheckHr(frame.decoder->GetFrame(0, frame.source.Put()), "GetFrame");
    CheckHr(frame.source->GetSize(&frame.width, &frame.height), "GetSize");
    CheckPictureSize(frame.width, frame.height);
    const bool reduce = static_cast<int>(frame.width) == info.width && static_cast<int>(frame.height) == info.height &&
                        (reduced.width < info.width || reduced.height < info.height);
    if (reduce) {
        const UINT width = static_cast<UINT>(reduced.width);
        const UINT height = static_cast<UINT>(reduced.height);
        frame.pixels = DecodedSmaller(factory, frame.source.Get(), width, height);
        if (!frame.pixels) frame.pixels = Scaled(factory, frame.source.Get(), width, height);
        if (frame.pixels) {
            frame.width = width;
            frame.height = height;
        }
    }
    if (!frame.pixels) {
        CheckHr(frame.source->QueryInterface(IID_IWICBitmapSource, frame.pixels.PutVoid()), "QueryInterface");
    }
    return frame;
}

bool IsBgr24(IWICBitmapSource* pixels) {
    WICPixelFormatGUID format{};
    return SUCCEEDED(pixels->GetPixelFormat(&format)) && IsEqualGUID(format, GUID_WICPixelFormat24bppBGR);
}

// Pixels already in the picture's own layout: each row read straight into its place.
void CopyRowsInPlace(IWICBitmapSource* pixels, Picture24& picture) {
    const UINT stride = static_cast<UINT>(picture.RowBytes());
    for (int y = 0; y < picture.height; ++y) {
        const WICRect row{0, y, picture.width, 1};
        CheckHr(pixels->CopyPixels(&row, stride, stride, picture.Row(y)), "CopyPixels");
    }
}

// Any other pixel format, converted to 32-bit BGRA and read in bands of rows of bounded size;
// `place(firstRow, rows, band)` takes each band (top-down, `rows` rows of the frame's width).
template <typename Place>
void CopyConvertedBands(IWICImagingFactory* factory, IWICBitmapSource* pixels, UINT width, UINT height, Place place) {
    ComPtr<IWICFormatConverter> converter;
    CheckHr(factory->CreateFormatConverter(converter.Put()), "CreateFormatConverter");
    const HRESULT converted = converter->Initialize(pixels, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                                    nullptr, 0.0, WICBitmapPaletteTypeCustom);
    if (converted == WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT || converted == WINCODEC_ERR_COMPONENTNOTFOUND) {
        throw WicFormatUnsupported("The imaging component cannot convert this picture's pixel format.");
    }
    CheckHr(converted, "Initialize");
    constexpr std::size_t kBandBytes = std::size_t{1} << 20;
    const UINT bandRows = static_cast<UINT>(std::max<std::size_t>(1, kBandBytes / (std::size_t{width} * 4)));
    std::vector<std::uint32_t> band(std::size_t{width} * std::min(bandRows, height));
    const UINT stride = width * 4;
    for (UINT first = 0; first < height; first += bandRows) {
        const UINT rows = std::min(bandRows, height - first);
        const WICRect rect{0, static_cast<INT>(first), static_cast<INT>(width), static_cast<INT>(rows)};
        CheckHr(converter->CopyPixels(&rect, stride, stride * rows, reinterpret_cast<BYTE*>(band.data())),
                "CopyPixels");
        place(static_cast<int>(first), static_cast<int>(rows), band.data());
    }
}

}  // namespace

std::optional<Picture24> DecodeWithWic(const std::vector<std::uint8_t>& file, const ImageInfo& info, int reduction) {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.PutVoid()))) {
        return std::nullopt;
    }
    const SizePx reduced = ReducedSize(info.width, info.height, reduction);
    const Frame frame = ReadFirstFrame(factory.Get(), file, info, reduced);
    const int width = static_cast<int>(frame.width);
    const int height = static_cast<int>(frame.height);
    const bool whole = width == info.width && height == info.height;
    const bool small = reduction > 0 && width == reduced.width && height == reduced.height;
    const bool gif = info.format == ImageFormat::Gif;
    const bool gifFrame = gif && width == info.frameWidth && height == info.frameHeight;
    if (!whole && !small && !gifFrame) {
        throw PictureError("The decoded picture does not have the size its header declares.");
    }
    if (whole || small) {
        Picture24 picture(width, height);
        if (!gif && IsBgr24(frame.pixels.Get())) {
            CopyRowsInPlace(frame.pixels.Get(), picture);
        } else {
            // A GIF's transparent pixels are black; any other picture's alpha is left out.
            CopyConvertedBands(factory.Get(), frame.pixels.Get(), frame.width, frame.height,
                               [&](int first, int rows, const std::uint32_t* band) {
                                   for (int y = 0; y < rows; ++y) {
                                       std::uint8_t* out = picture.Row(first + y);
                                       for (int x = 0; x < width; ++x, ++band, out += 3) {
                                           const std::uint32_t pixel = gif && (*band >> 24) == 0 ? 0 : *band;
                                           out[0] = static_cast<std::uint8_t>(pixel);
                                           out[1] = static_cast<std::uint8_t>(pixel >> 8);
                                           out[2] = static_cast<std::uint8_t>(pixel >> 16);
                                       }
                                   }
                               });
        }
        return picture;
    }
    Picture24 canvas(info.width, info.height);
    CopyConvertedBands(factory.Get(), frame.pixels.Get(), frame.width, frame.height,
                       [&](int first, int rows, const std::uint32_t* band) {
                           PlaceRows(band, width, first, rows, info.frameLeft, info.frameTop, true, canvas);
                       });
    return canvas;
}

}  // namespace tk::win32
