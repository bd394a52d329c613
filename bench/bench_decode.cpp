// Decodes one picture file N times through the system decoders and prints the time per decode
// and the process's peak working set. The peak covers the whole process, so measure one decoder
// per run for figures that belong to it alone.
//   bench_decode <file> [count] [wic|ole|both|preview]
// "preview" times what the picture browser does when an entry is selected: the decode for the
// preview box (149 x 111 pixels at 96 dpi) with the size it will be drawn at as the hint, and the
// stretched draw at the picture's share of the screen; next to it, the same with a whole decode.
#include <windows.h>
#include <psapi.h>

#include <cmath>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "toolkit/App.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/Platform.h"
#include "toolkit/Image.h"
#include "toolkit/win32/ImageDecoder.h"
#include "toolkit/win32/Win32Platform.h"

namespace {

double PeakWorkingSetMb() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return -1;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

double Seconds() {
    LARGE_INTEGER now{}, frequency{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int Run(const wchar_t* label, tk::win32::DecoderPath path, const std::wstring& file, int count) {
    tk::win32::SetDecoderPath(path);
    const double start = Seconds();
    int width = 0;
    int height = 0;
    try {
        for (int i = 0; i < count; ++i) {
            const tk::Picture24 bitmap = tk::DecodePicture(file);
            width = bitmap.width;
            height = bitmap.height;
        }
    } catch (const tk::PictureError& error) {
        std::fwprintf(stderr, L"%ls: %hs\n", label, error.what());
        return 1;
    }
    const double perDecode = (Seconds() - start) / count;
    std::wprintf(L"%-12ls %dx%d  %8.1f ms per decode  peak working set %7.1f MB\n", label, width, height,
                 perDecode * 1000.0, PeakWorkingSetMb());
    return 0;
}

// A form holding a box of the browser's preview size.
class PreviewForm : public tk::Form {
public:
    PreviewForm() : Form(L"frmBench", Style()), box(*this, L"picImage", {120, 120, 2295, 1720}) {}
    tk::PictureBox box;

private:
    static tk::FormStyle Style() {
        tk::FormStyle style;
        style.caption = L"bench";
        style.clientWidth = 2600;
        style.clientHeight = 2000;
        return style;
    }
};

// Selection to preview: decode (with or without the hint) and draw at the picture's share of the
// screen, centred. Returns the milliseconds per selection, or a negative value on failure.
double TimePreview(PreviewForm& form, const std::wstring& file, int count, bool hinted, tk::SizePx& held) {
    const double boxWidth = form.box.ScaleWidth();
    const double boxHeight = form.box.ScaleHeight();
    const double screenWidth = double(tk::Screen::Width()) / tk::Screen::TwipsPerPixelX();
    const double screenHeight = double(tk::Screen::Height()) / tk::Screen::TwipsPerPixelY();
    tk::DecodeHint hint;
    if (hinted) {
        hint.needed = [&](int width, int height) {
            const double drawnWidth = boxWidth * width / screenWidth / tk::Screen::TwipsPerPixelX();
            const double drawnHeight = boxHeight * height / screenHeight / tk::Screen::TwipsPerPixelY();
            return tk::SizePx{static_cast<int>(std::ceil(drawnWidth)) + 1, static_cast<int>(std::ceil(drawnHeight)) + 1};
        };
    }
    const double start = Seconds();
    try {
        for (int i = 0; i < count; ++i) {
            form.box.LoadPicture(file, hint);
            const tk::Picture24& picture = *form.box.Picture();
            const double w = boxWidth * picture.FullWidth() / screenWidth;
            const double h = boxHeight * picture.FullHeight() / screenHeight;
            form.box.Cls();
            form.box.PaintPicture(picture, boxWidth / 2 - w / 2, boxHeight / 2 - h / 2, w, h);
            held = {picture.width, picture.height};
            form.box.ClearPicture();  // as the next selection would, before the next decode
        }
    } catch (const tk::PictureError& error) {
        std::fwprintf(stderr, L"preview: %hs\n", error.what());
        return -1;
    }
    return (Seconds() - start) / count * 1000.0;
}

int RunPreview(const std::wstring& file, int count) {
    tk::win32::SetDecoderPath(tk::win32::DecoderPath::Auto);
    PreviewForm form;
    const tk::SizePx inner = form.box.InnerPixels();
    tk::SizePx fullHeld, previewHeld;
    TimePreview(form, file, 1, true, previewHeld);  // warm-up: the file in the cache, COM started
    const double full = TimePreview(form, file, count, false, fullHeld);
    const double preview = TimePreview(form, file, count, true, previewHeld);
    if (full < 0 || preview < 0) return 1;
    std::wprintf(L"preview box %dx%d, screen %dx%d, %d selections each\n", inner.width, inner.height,
                 tk::Screen::Width() / tk::Screen::TwipsPerPixelX(),
                 tk::Screen::Height() / tk::Screen::TwipsPerPixelY(), count);
    std::wprintf(L"%-24ls %5dx%-5d %8.1f ms per selection\n", L"whole decode + draw", fullHeld.width,
                 fullHeld.height, full);
    std::wprintf(L"%-24ls %5dx%-5d %8.1f ms per selection\n", L"preview decode + draw", previewHeld.width,
                 previewHeld.height, preview);
    std::wprintf(L"ratio whole / preview    %.2f\n", full / preview);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: bench_decode <file> [count] [wic|ole|both|preview]\n");
        return 2;
    }
    const tk::win32::Win32Platform platform;
    const tk::PlatformScope installed(platform.Get());
    const int count = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
    std::wprintf(L"%ls, %d decodes per path\n", argv[1], count);
    const std::wstring which = argc > 3 ? argv[3] : L"both";
    if (which == L"preview") return RunPreview(argv[1], count);
    int failures = 0;
    if (which != L"ole") failures += Run(L"WIC", tk::win32::DecoderPath::Wic, argv[1], count);
    if (which != L"wic") failures += Run(L"OLE picture", tk::win32::DecoderPath::OlePicture, argv[1], count);
    return failures == 0 ? 0 : 1;
}
