// The least a logon run must do, for comparing with Murivale's own, written with system calls
// only and none of the programs' code: list the image folder (FindFirstFileW, the four
// patterns), sort the names (_wcsicmp), decode the one in the middle through the Windows Imaging
// Component (CreateDecoderFromFilename; a converter to 24-bit BGR only for a frame in another
// pixel format) straight into one buffer that
// holds the bitmap file's headers and its bottom-up rows (CopyPixels row by row, each into its
// place), write that buffer to a new file beside the target, flush it, move it over the target
// (MoveFileExW, replacing, write-through) and make the wallpaper call. No windows, no registry.
//
//   floor_logon.exe FOLDER OUTPUT.bmp
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> ListImages(const std::wstring& folder) {
    std::vector<std::wstring> names;
    for (const wchar_t* pattern : {L"*.jp*g", L"*.gif", L"*.bmp", L"*.dib"}) {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((folder + L"\\" + pattern).c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            if (!(data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                                           FILE_ATTRIBUTE_SYSTEM))) {
                names.push_back(data.cFileName);
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
    return names;
}

void Put32(BYTE* at, DWORD value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<BYTE>(value >> (8 * i));
}

// The whole bitmap file (headers, then the rows bottom-up, each padded to four bytes), or
// empty when the picture cannot be decoded.
std::vector<BYTE> DecodeToBitmapFile(const std::wstring& path) {
    std::vector<BYTE> file;
    IWICImagingFactory* factory = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    IWICBitmapSource* pixels = nullptr;
    WICPixelFormatGUID format{};
    UINT width = 0;
    UINT height = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   reinterpret_cast<void**>(&factory))) &&
        SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&width, &height)) &&
        SUCCEEDED(frame->GetPixelFormat(&format))) {
        if (IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
            pixels = frame;
        } else if (SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
                   SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone,
                                                   nullptr, 0.0, WICBitmapPaletteTypeCustom))) {
            pixels = converter;
        }
    }
    if (pixels != nullptr) {
        const UINT rowBytes = (width * 3 + 3) / 4 * 4;
        const DWORD pixelBytes = rowBytes * height;
        file.resize(54 + static_cast<std::size_t>(pixelBytes));
        file[0] = 'B';
        file[1] = 'M';
        Put32(&file[2], 54 + pixelBytes);
        Put32(&file[10], 54);
        Put32(&file[14], 40);
        Put32(&file[18], width);
        Put32(&file[22], height);
        file[26] = 1;
        file[28] = 24;
        Put32(&file[34], pixelBytes);
        Put32(&file[38], 3780);
        Put32(&file[42], 3780);
        for (UINT y = 0; y < height; ++y) {
            const WICRect row{0, static_cast<INT>(y), static_cast<INT>(width), 1};
            if (FAILED(pixels->CopyPixels(&row, rowBytes, rowBytes,
                                             &file[54 + static_cast<std::size_t>(height - 1 - y) * rowBytes]))) {
                file.clear();
                break;
            }
        }
    }
    if (converter != nullptr) converter->Release();
    if (frame != nullptr) frame->Release();
    if (decoder != nullptr) decoder->Release();
    if (factory != nullptr) factory->Release();
    return file;
}

// Beside the target first, flushed, then moved over it.
bool ReplaceDurably(const std::wstring& target, const std::vector<BYTE>& bytes) {
    const std::wstring temp = target + L".floor.tmp";
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (!ok || !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: floor_logon FOLDER OUTPUT.bmp\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const std::vector<std::wstring> names = ListImages(folder);
    if (names.empty()) return 1;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::vector<BYTE> bitmap = DecodeToBitmapFile(folder + L"\\" + names[names.size() / 2]);
    CoUninitialize();
    std::wstring path = argv[2];
    if (bitmap.empty() || !ReplaceDurably(path, bitmap)) {
        std::fprintf(stderr, "the picture could not be decoded or written\n");
        return 1;
    }
    std::vector<BYTE>().swap(bitmap);
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    std::printf("%u names\n", static_cast<unsigned>(names.size()));
    return 0;
}
