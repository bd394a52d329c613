// Decoding with the Windows Imaging Component: a decoder for the bytes in memory (the format
// recognised by content), its first frame converted to 32-bit BGRA. A GIF frame comes at its own
// size; it is placed on the logical screen at its offset, its transparent pixels left black.
//
// A reduced decode asks the frame's own decoder for the smaller size (IWICBitmapSourceTransform:
// a JPEG decoder skips most of the work for the pixels left out). A decoder that does not offer
// that size is read through a scaler instead, which still saves converting and keeping every
// pixel of the whole picture.
#include <windows.h>
#include <wincodec.h>

#include "common/win32/Handles.h"
#include "toolkit/win32/Decoders.h"

namespace tk::win32 {

using common::win32::ComPtr;

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

struct Frame {
    UINT width = 0;
    UINT height = 0;
    std::vector<std::uint32_t> bgra;  // top-down, alpha in the high byte
};

// `reduced` is the size wanted when smaller than the frame; it is honoured only for a frame of
// the picture's full size. The frame comes at that size or at its own.
Frame ReadFirstFrame(IWICImagingFactory* factory, const std::vector<std::uint8_t>& file, const ImageInfo& info,
                     SizePx reduced) {
    ComPtr<IWICStream> stream;
    CheckHr(factory->CreateStream(stream.Put()), "CreateStream");
    CheckHr(stream->InitializeFromMemory(const_cast<BYTE*>(file.data()), static_cast<DWORD>(file.size())),
            "InitializeFromMemory");
    ComPtr<IWICBitmapDecoder> decoder;
    CheckHr(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put()),
            "CreateDecoderFromStream");
    ComPtr<IWICBitmapFrameDecode> source;
    CheckHr(decoder->GetFrame(0, source.Put()), "GetFrame");
    Frame frame;
    CheckHr(source->GetSize(&frame.width, &frame.height), "GetSize");
    CheckPictureSize(frame.width, frame.height);
    ComPtr<IWICBitmapSource> pixels;
    const bool reduce = static_cast<int>(frame.width) == info.width && static_cast<int>(frame.height) == info.height &&
                        (reduced.width < info.width || reduced.height < info.height);
    if (reduce) {
        const UINT width = static_cast<UINT>(reduced.width);
        const UINT height = static_cast<UINT>(reduced.height);
        pixels = DecodedSmaller(factory, source.Get(), width, height);
        if (!pixels) pixels = Scaled(factory, source.Get(), width, height);
        if (pixels) {
            frame.width = width;
            frame.height = height;
        }
    }
    if (!pixels) CheckHr(source->QueryInterface(IID_IWICBitmapSource, pixels.PutVoid()), "QueryInterface");
    ComPtr<IWICFormatConverter> converter;
    CheckHr(factory->CreateFormatConverter(converter.Put()), "CreateFormatConverter");
    const HRESULT converted = converter->Initialize(pixels.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                                    nullptr, 0.0, WICBitmapPaletteTypeCustom);
    if (converted == WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT || converted == WINCODEC_ERR_COMPONENTNOTFOUND) {
        throw WicFormatUnsupported("The imaging component cannot convert this picture's pixel format.");
    }
    CheckHr(converted, "Initialize");
    frame.bgra.resize(static_cast<std::size_t>(frame.width) * frame.height);
    const UINT stride = frame.width * 4;
    CheckHr(converter->CopyPixels(nullptr, stride, static_cast<UINT>(frame.bgra.size() * 4),
                                  reinterpret_cast<BYTE*>(frame.bgra.data())),
            "CopyPixels");
    return frame;
}

}  // namespace

std::optional<Bitmap> DecodeWithWic(const std::vector<std::uint8_t>& file, const ImageInfo& info, int reduction) {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.PutVoid()))) {
        return std::nullopt;
    }
    const SizePx reduced = ReducedSize(info.width, info.height, reduction);
    Frame frame = ReadFirstFrame(factory.Get(), file, info, reduced);
    const bool whole = static_cast<int>(frame.width) == info.width && static_cast<int>(frame.height) == info.height;
    const bool small = reduction > 0 && static_cast<int>(frame.width) == reduced.width &&
                       static_cast<int>(frame.height) == reduced.height;
    const bool gifFrame = info.format == ImageFormat::Gif && static_cast<int>(frame.width) == info.frameWidth &&
                          static_cast<int>(frame.height) == info.frameHeight;
    if (!whole && !small && !gifFrame) {
        throw PictureError("The decoded picture does not have the size its header declares.");
    }
    Bitmap canvas;
    if (whole || small) {  // the frame's buffer becomes the picture's, without a second copy
        const bool gif = info.format == ImageFormat::Gif;
        canvas.width = static_cast<int>(frame.width);
        canvas.height = static_cast<int>(frame.height);
        canvas.pixels = std::move(frame.bgra);
        for (std::uint32_t& pixel : canvas.pixels) pixel = (gif && (pixel >> 24) == 0) ? 0 : pixel & 0x00FFFFFFu;
    } else {
        canvas = Bitmap(info.width, info.height);
        PlacePixels(frame.bgra, static_cast<int>(frame.width), static_cast<int>(frame.height), info.frameLeft,
                    info.frameTop, true, canvas);
    }
    return canvas;
}

}  // namespace tk::win32
