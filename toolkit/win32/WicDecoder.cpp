// Decoding with the Windows Imaging Component: a decoder for the bytes in memory (the format
// recognised by content), its first frame converted to 32-bit BGRA. A GIF frame comes at its own
// size; it is placed on the logical screen at its offset, its transparent pixels left black.
#include <windows.h>
#include <wincodec.h>

#include "common/win32/Handles.h"
#include "toolkit/win32/Decoders.h"

namespace tk::win32 {

using common::win32::ComPtr;

namespace {

struct Frame {
    UINT width = 0;
    UINT height = 0;
    std::vector<std::uint32_t> bgra;  // top-down, alpha in the high byte
};

Frame ReadFirstFrame(IWICImagingFactory* factory, const std::vector<std::uint8_t>& file) {
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
    ComPtr<IWICFormatConverter> converter;
    CheckHr(factory->CreateFormatConverter(converter.Put()), "CreateFormatConverter");
    const HRESULT converted = converter->Initialize(source.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
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

std::optional<Bitmap> DecodeWithWic(const std::vector<std::uint8_t>& file, const ImageInfo& info) {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.PutVoid()))) {
        return std::nullopt;
    }
    Frame frame = ReadFirstFrame(factory.Get(), file);
    const bool whole = static_cast<int>(frame.width) == info.width && static_cast<int>(frame.height) == info.height;
    const bool gifFrame = info.format == ImageFormat::Gif && static_cast<int>(frame.width) == info.frameWidth &&
                          static_cast<int>(frame.height) == info.frameHeight;
    if (!whole && !gifFrame) throw PictureError("The decoded picture does not have the size its header declares.");
    Bitmap canvas;
    if (whole) {  // the frame's buffer becomes the picture's, without a second copy
        const bool gif = info.format == ImageFormat::Gif;
        canvas.width = info.width;
        canvas.height = info.height;
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
