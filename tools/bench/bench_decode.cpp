// Decodes one picture file N times through the system decoders and prints the time per decode
// and the process's peak working set. The peak covers the whole process, so measure one decoder
// per run for figures that belong to it alone.
//   bench_decode <file> [count] [wic|ole|both]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "toolkit/Image.h"
#include "toolkit/win32/ImageDecoder.h"

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
            const tk::Bitmap bitmap = tk::DecodeImageFile(file);
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: bench_decode <file> [count] [wic|ole|both]\n");
        return 2;
    }
    const int count = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
    std::wprintf(L"%ls, %d decodes per path\n", argv[1], count);
    const std::wstring which = argc > 3 ? argv[3] : L"both";
    int failures = 0;
    if (which != L"ole") failures += Run(L"WIC", tk::win32::DecoderPath::Wic, argv[1], count);
    if (which != L"wic") failures += Run(L"OLE picture", tk::win32::DecoderPath::OlePicture, argv[1], count);
    return failures == 0 ? 0 : 1;
}
