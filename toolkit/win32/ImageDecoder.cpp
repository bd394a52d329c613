// The picture decoder of the Windows platform. DecodeImageFile reads the file and checks it with
// ProbeImage before any system decoder sees it: the system's loaders are not safe on every broken file, and would spend
// minutes on absurd declared sizes.
//
// COM: the decoders need it on the calling thread. The first thread that decodes (the
// programs' one interface thread) initialises a single-threaded apartment once and keeps it
// until the process ends; any other thread holds one for the length of its decode. A thread
// already in COM, of either apartment kind, is used as it is (the extra initialisation only
// counts up, and is balanced). No thread_local with a destructor: the C++ runtime's support for
// those imports functions that Windows 2000 lacks.
#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <optional>

#include "toolkit/Image.h"
#include "toolkit/win32/Decoders.h"
#include "toolkit/win32/ImageDecoder.h"
#include "toolkit/win32/Win32Parts.h"

namespace tk {

namespace win32 {

namespace {

std::atomic<DecoderPath> g_path{DecoderPath::Auto};

class ComApartment {
public:
    ComApartment() : owned_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (owned_) ::CoUninitialize();
    }

private:
    bool owned_;  // S_OK and S_FALSE both count one initialisation to balance
};

// The apartment the decode at hand runs in: the process-long one on the first thread that
// decodes, else one of its own.
class DecodeApartment {
public:
    DecodeApartment() {
        static const DWORD firstThread = ::GetCurrentThreadId();
        static const ComApartment processLong;
        if (::GetCurrentThreadId() != firstThread) own_.emplace();
    }

private:
    std::optional<ComApartment> own_;
};

// The OLE picture loader has no reduced decode: it always delivers the whole picture.
Picture24 DecodeWithSystem(const std::vector<std::uint8_t>& file, const ImageInfo& info, int reduction) {
    switch (g_path.load()) {
        case DecoderPath::OlePicture:
            return DecodeWithOlePicture(file, info);
        case DecoderPath::Wic:
            if (auto bitmap = DecodeWithWic(file, info, reduction)) return std::move(*bitmap);
            throw PictureError("The Windows Imaging Component is not available.");
        case DecoderPath::Auto:
        default:
            try {
                if (auto bitmap = DecodeWithWic(file, info, reduction)) return std::move(*bitmap);
            } catch (const WicFormatUnsupported&) {
                // decoded, but not convertible: the OLE loader handles such pixel formats
            }
            return DecodeWithOlePicture(file, info);
    }
}

}  // namespace

void SetDecoderPath(DecoderPath path) { g_path.store(path); }
DecoderPath GetDecoderPath() { return g_path.load(); }

void CheckHr(long hr, const char* what) {
    if (SUCCEEDED(hr)) return;
    std::string code = "0x00000000";
    for (std::size_t i = code.size(), bits = static_cast<unsigned long>(hr); i > 2; --i, bits >>= 4) {
        code[i - 1] = "0123456789ABCDEF"[bits & 0xF];
    }
    throw PictureError(std::string("The picture could not be decoded (") + what + " failed, " + code + ").");
}

void PlaceRows(const std::uint32_t* band, int width, int firstRow, int rows, int left, int top,
               bool keepTransparent, Picture24& canvas) {
    for (int y = 0; y < rows && top + firstRow + y < canvas.height; ++y) {
        for (int x = 0; x < width && left + x < canvas.width; ++x) {
            const std::uint32_t pixel = band[static_cast<std::size_t>(y) * width + x];
            if (keepTransparent && (pixel >> 24) == 0) continue;
            canvas.Set(left + x, top + firstRow + y, pixel);
        }
    }
}

Picture24 Win32Pictures::Decode(const std::vector<std::uint8_t>& file, const ImageInfo& info,
                                int reduction) {
    const DecodeApartment apartment;
    return DecodeWithSystem(file, info, reduction);
}

}  // namespace win32
}  // namespace tk
