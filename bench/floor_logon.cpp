// The least a logon run must do, for comparing with Murivale's own: list the image folder,
// decode one image, write it as a bitmap and make the wallpaper call. No windows, no registry.
//
//   floor_logon.exe FOLDER OUTPUT.bmp
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "toolkit/Image.h"
#include "toolkit/win32/Win32Platform.h"

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
    return names;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: floor_logon FOLDER OUTPUT.bmp\n");
        return 2;
    }
    const tk::win32::Win32Platform platform;
    const tk::PlatformScope installed(platform.Get());
    const std::wstring folder = argv[1];
    const std::vector<std::wstring> names = ListImages(folder);
    if (names.empty()) return 1;
    try {
        const tk::Bitmap picture = tk::DecodeImageFile(folder + L"\\" + names[names.size() / 2]);
        tk::SaveBitmapFile(picture, argv[2]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::wstring path = argv[2];
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(),
                          SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    std::printf("%u names\n", static_cast<unsigned>(names.size()));
    return 0;
}
