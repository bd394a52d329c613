// Pictures on the real Win32 backend (run under Wine): both system decoders give the same
// pixels, the corpus through the automatic choice, the atomic save and listings on the real file
// system, paths longer than the classic limit.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "base/Text.h"
#include "tests/unit/CorpusManifest.h"
#include "tests/wine/WinePaths.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Image.h"
#include "toolkit/win32/ImageDecoder.h"

namespace {

using tk::win32::DecoderPath;

using wine_paths::WindowsPath;

std::wstring CorpusFile(const std::string& relative) { return WindowsPath(corpus::Folder() + "/" + relative); }

tk::Bitmap DecodeWith(DecoderPath path, const std::wstring& file) {
    tk::win32::SetDecoderPath(path);
    struct Restore {
        ~Restore() { tk::win32::SetDecoderPath(DecoderPath::Auto); }
    } restore;
    return tk::DecodeImageFile(file);
}

// Mean absolute difference per channel, and the number of pixels that differ at all.
struct Difference {
    double mean = 0;
    std::size_t pixels = 0;
};
Difference Compare(const tk::Bitmap& a, const tk::Bitmap& b) {
    Difference d;
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        d.pixels += a.pixels[i] != b.pixels[i];
        for (int shift : {0, 8, 16}) sum += std::abs(int((a.pixels[i] >> shift) & 255) - int((b.pixels[i] >> shift) & 255));
    }
    d.mean = a.pixels.empty() ? 0 : sum / (3.0 * static_cast<double>(a.pixels.size()));
    return d;
}

// Removes a folder and everything in it, long paths included.
void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((L"\\\\?\\" + folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveTree(path);
            } else {
                ::DeleteFileW((L"\\\\?\\" + path).c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW((L"\\\\?\\" + folder).c_str());
}

// A new, empty folder in the temporary folder, removed with its content at the end.
class TempFolder {
public:
    TempFolder() {
        static int serial = 0;
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"pictest-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring(::GetTickCount()) + L"-" + std::to_wstring(++serial);
        RemoveTree(path_);
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() { RemoveTree(path_); }
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }
    std::vector<std::wstring> AllNames() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data;
        HANDLE find = ::FindFirstFileW((path_ + L"\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            if (std::wstring(data.cFileName) != L"." && std::wstring(data.cFileName) != L"..") names.push_back(data.cFileName);
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
        return names;
    }

private:
    std::wstring path_;
};

tk::Bitmap Pattern(int w, int h) {
    tk::Bitmap bitmap(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bitmap.at(x, y) = static_cast<std::uint32_t>((x * 37 & 255) << 16 | (y * 59 & 255) << 8 | ((x ^ y) * 11 & 255));
    return bitmap;
}

TEST(PictureWinePaths, ImagingComponentIsPresentAndBothPathsReadOurBitmaps) {
    TempFolder folder;
    const tk::Bitmap original = Pattern(37, 21);
    tk::SaveBitmapFile(original, folder / L"p.bmp");
    EXPECT_EQ(DecodeWith(DecoderPath::Wic, folder / L"p.bmp").pixels, original.pixels);
    EXPECT_EQ(DecodeWith(DecoderPath::OlePicture, folder / L"p.bmp").pixels, original.pixels);
    EXPECT_EQ(DecodeWith(DecoderPath::Auto, folder / L"p.bmp").pixels, original.pixels);
}

// Large enough for several bands of converted rows: a 24-bit bitmap (read row by row into
// place), and the same pixels as a 32-bit one (converted, in bands).
TEST(PictureWinePaths, LargePicturesComeWholeThroughRowsAndBands) {
    TempFolder folder;
    tk::Picture24 picture(1203, 905);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.Set(x, y, static_cast<std::uint32_t>((x * 7 + y) & 255) << 16 | static_cast<std::uint32_t>(y * 3 & 255) << 8 | ((x ^ y) & 255));
    tk::SaveBitmapFile(picture, folder / L"p24.bmp");

    std::vector<std::uint8_t> file = tk::Bmp24Headers(picture);
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(picture.width) * 4 * static_cast<std::uint32_t>(picture.height);
    for (int i = 0; i < 4; ++i) {
        file[2 + i] = static_cast<std::uint8_t>((54 + pixelBytes) >> (8 * i));
        file[34 + i] = static_cast<std::uint8_t>(pixelBytes >> (8 * i));
    }
    file[28] = 32;
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t pixel = picture.at(x, y);
            file.insert(file.end(), {static_cast<std::uint8_t>(pixel), static_cast<std::uint8_t>(pixel >> 8),
                                     static_cast<std::uint8_t>(pixel >> 16), 0});
        }
    }
    tk::fs::WriteFileAtomic(folder / L"p32.bmp", file);

    const std::vector<std::uint32_t> expected = tk::ToBitmap(picture).pixels;
    for (DecoderPath path : {DecoderPath::Wic, DecoderPath::OlePicture}) {
        for (const wchar_t* name : {L"p24.bmp", L"p32.bmp"}) {
            SCOPED_TRACE(std::string(name, name + 7));
            EXPECT_TRUE(DecodeWith(path, folder / name).pixels == expected);
        }
    }
    tk::win32::SetDecoderPath(DecoderPath::Wic);
    EXPECT_EQ(tk::DecodePicture(folder / L"p24.bmp").rows, picture.rows);
    tk::win32::SetDecoderPath(DecoderPath::Auto);
}

TEST(PictureWinePaths, LosslessFormatsGiveIdenticalPixelsOnBothPaths) {
    for (const char* name : {"good/bmp/pillow_hopper.bmp", "good/bmp/bmpsuite_g_pal8.bmp", "good/bmp/bmpsuite_g_pal4rle.bmp",
                             "good/bmp/bmpsuite_g_pal1.bmp", "good/bmp/bmpsuite_g_rgb16-565.bmp", "good/bmp/imagers_Core_8_Bit.bmp",
                             "good/dib/bmpsuite_g_rgb24.dib", "good/gif/pillow_hopper.gif", "good/gif/wuffs_hippopotamus.interlaced.gif",
                             "good/gif/wuffs_bricks-dither.gif", "good/gif/pygif_image-inside-bg.gif"}) {
        SCOPED_TRACE(name);
        const tk::Bitmap wic = DecodeWith(DecoderPath::Wic, CorpusFile(name));
        const tk::Bitmap ole = DecodeWith(DecoderPath::OlePicture, CorpusFile(name));
        ASSERT_EQ(wic.width, ole.width);
        ASSERT_EQ(wic.height, ole.height);
        EXPECT_EQ(Compare(wic, ole).pixels, 0u);
    }
    const tk::Bitmap blue = DecodeWith(DecoderPath::OlePicture, CorpusFile("good/bmp/bmptestsuite_valid_24bpp-1x1.bmp"));
    EXPECT_EQ(blue.pixels, std::vector<std::uint32_t>{0x0000FF});
}

TEST(PictureWinePaths, JpegIsCloseOnBothPaths) {
    for (const char* name : {"good/jpeg/pillow_hopper.jpg", "good/jpeg/wuffs_peacock.progressive.jpeg",
                             "good/jpeg/pillow_hopper_gray.jpg", "good/jpeg/wuffs_mona-lisa.21x32.q50.jpeg"}) {
        SCOPED_TRACE(name);
        const tk::Bitmap wic = DecodeWith(DecoderPath::Wic, CorpusFile(name));
        const tk::Bitmap ole = DecodeWith(DecoderPath::OlePicture, CorpusFile(name));
        ASSERT_EQ(wic.width, ole.width);
        ASSERT_EQ(wic.height, ole.height);
        EXPECT_LT(Compare(wic, ole).mean, 4.0);
    }
}

TEST(PictureWinePaths, HostileHeadersNeverReachTheSystemDecoders) {
    for (DecoderPath path : {DecoderPath::Wic, DecoderPath::OlePicture}) {
        for (const char* name : {"bad/huge-dims/imagers_Bad_width_2147483647.bmp", "bad/header/imagers_regression_oss-fuzz-36829.jpeg",
                                 "bad/huge-dims/pygif_max-size_65535x65535.gif", "bad/empty/emptyfile.jpg"}) {
            EXPECT_THROW(DecodeWith(path, CorpusFile(name)), tk::PictureError) << name;
        }
    }
}

class PictureWineCorpus : public ::testing::Test {
protected:
    void SetUp() override {
        entries_ = corpus::ReadManifest(corpus::Folder());
        ASSERT_GT(entries_.size(), 400u) << "The image corpus was not found at \"" << corpus::Folder()
                                         << "\" (set MURIVALE_CORPUS to its folder).";
    }
    std::vector<corpus::Entry> entries_;
};

TEST_F(PictureWineCorpus, AutomaticPathMeetsEveryExpectation) {
    int decoded = 0;
    int refused = 0;
    for (const corpus::Entry& entry : entries_) {
        if (entry.expect == "not-listed") continue;
        SCOPED_TRACE(entry.path);
        tk::Bitmap bitmap;
        bool ok = true;
        try {
            bitmap = tk::DecodeImageFile(CorpusFile(entry.path));
        } catch (const tk::PictureError&) {
            ok = false;
        }
        (ok ? decoded : refused)++;
        if (entry.expect == "reject") {
            EXPECT_FALSE(ok) << "should be refused";
        } else if (entry.expect == "decode") {
            EXPECT_TRUE(ok) << "should decode";
            if (ok && entry.width > 0) {
                EXPECT_EQ(bitmap.width, entry.width);
                EXPECT_EQ(bitmap.height, entry.height);
            }
        }
        if (ok) {
            EXPECT_EQ(bitmap.pixels.size(), static_cast<std::size_t>(bitmap.width) * bitmap.height);
            EXPECT_EQ(tk::ProbeImage(tk::EncodeBmp24(bitmap)).width, bitmap.width);
        }
    }
    RecordProperty("decoded", decoded);
    RecordProperty("refused", refused);
}

TEST_F(PictureWineCorpus, ListingLeavesOutFoldersAndNamesThatOnlyMatchAsShortNames) {
    const std::wstring odd = CorpusFile("odd-names");
    const std::vector<std::wstring> jpegs = tk::fs::ListFiles(odd, L"*.jp*g");
    EXPECT_EQ(std::count(jpegs.begin(), jpegs.end(), L"folder.jpg"), 0);
    EXPECT_EQ(std::count(jpegs.begin(), jpegs.end(), L"x.jpg.png"), 0);
    EXPECT_EQ(std::count(jpegs.begin(), jpegs.end(), L"Пейзаж.jpeg"), 1);
    EXPECT_EQ(std::count(jpegs.begin(), jpegs.end(), L"PHOTO.JPG"), 1);
    const std::vector<std::wstring> bitmaps = tk::fs::ListFiles(odd, L"*.bmp");
    EXPECT_EQ(std::count(bitmaps.begin(), bitmaps.end(), L"x.bmpx"), 0);
    EXPECT_EQ(std::count(bitmaps.begin(), bitmaps.end(), L"🌄 sunrise.bmp"), 1);
    EXPECT_EQ(tk::fs::ListFolders(odd), std::vector<std::wstring>{L"folder.jpg"});
    EXPECT_TRUE(tk::fs::ListFiles(odd, L"*.nothing").empty());
    // Both patterns at once: the same names, merged into one case-blind order.
    std::vector<std::wstring> both = jpegs;
    both.insert(both.end(), bitmaps.begin(), bitmaps.end());
    std::sort(both.begin(), both.end(),
              [](const std::wstring& a, const std::wstring& b) { return tk::CompareNoCase(a, b) < 0; });
    EXPECT_EQ(tk::fs::ListFiles(odd, L"*.jp*g;*.bmp"), both);
    EXPECT_THROW(tk::fs::ListFiles(odd + L"\\missing", L"*"), tk::FileError);
}

TEST(PictureWineSave, ReplacesAtomicallyAndFailsCleanly) {
    TempFolder folder;
    tk::fs::WriteFileAtomic(folder / L"wall.bmp", {'o', 'l', 'd'});
    tk::SaveBitmapFile(Pattern(5, 3), folder / L"wall.bmp");
    EXPECT_EQ(tk::DecodeImageFile(folder / L"wall.bmp").pixels, Pattern(5, 3).pixels);
    EXPECT_EQ(folder.AllNames(), std::vector<std::wstring>{L"wall.bmp"});

    EXPECT_THROW(tk::SaveBitmapFile(Pattern(2, 2), folder / L"missing\\wall.bmp"), tk::PictureError);
    ASSERT_TRUE(::CreateDirectoryW((folder / L"dir.bmp").c_str(), nullptr));
    EXPECT_THROW(tk::SaveBitmapFile(Pattern(2, 2), folder / L"dir.bmp"), tk::PictureError);
    EXPECT_TRUE(tk::fs::FolderExists(folder / L"dir.bmp"));
    EXPECT_EQ(folder.AllNames().size(), 2u) << "no temporary file is left behind";
    EXPECT_EQ(tk::DecodeImageFile(folder / L"wall.bmp").pixels, Pattern(5, 3).pixels);
}

// A process of the system's command interpreter: ended (waited for) or, suspended, running.
struct ChildProcess {
    PROCESS_INFORMATION info{};
    explicit ChildProcess(bool keepRunning) {
        wchar_t system[MAX_PATH];
        ::GetSystemDirectoryW(system, MAX_PATH);
        std::wstring command = L"\"" + std::wstring(system) + L"\\cmd.exe\" /c exit 0";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        ok = ::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE,
                              CREATE_NO_WINDOW | (keepRunning ? CREATE_SUSPENDED : 0), nullptr,
                              nullptr, &startup, &info) != FALSE;
        if (ok && !keepRunning) ::WaitForSingleObject(info.hProcess, 10000);
    }
    ~ChildProcess() {
        if (!ok) return;
        ::TerminateProcess(info.hProcess, 0);
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
    }
    std::wstring Id() const { return std::to_wstring(info.dwProcessId); }
    bool ok = false;
};

void Make(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, "half", 4, &written, nullptr);
    ::CloseHandle(file);
}

// What writes cut off in the middle left is removed by the next write of the same file; a file
// whose writer still runs or still holds it, and every other file, stay.
TEST(PictureWineSave, RemovesWhatInterruptedWritesLeftAndNothingElse) {
    TempFolder folder;
    const std::wstring own = std::to_wstring(::GetCurrentProcessId());
    // Made before the process that now has the number in its name: its writer has ended.
    Make(folder / L"reused");
    ::Sleep(20);
    ChildProcess running(true), ended(false);
    ASSERT_TRUE(running.ok && ended.ok);
    ::Sleep(20);
    ASSERT_TRUE(::MoveFileW((folder / L"reused").c_str(),
                            (folder / (L"wall.bmp." + running.Id() + L"-2.tmp")).c_str()));
    Make(folder / (L"wall.bmp." + ended.Id() + L"-1.tmp"));
    Make(folder / (L"WALL.BMP." + own + L"-9.TMP"));
    Make(folder / (L"wall.bmp." + running.Id() + L"-1.tmp"));
    Make(folder / (L"wall.bmp." + own + L"-5.tmp"));
    const HANDLE writing = ::CreateFileW((folder / (L"wall.bmp." + own + L"-5.tmp")).c_str(),
                                         GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writing, INVALID_HANDLE_VALUE);
    for (const std::wstring& other : std::vector<std::wstring>{L"other.bmp." + ended.Id() + L"-1.tmp", L"wall.bmp.tmp",
                                      L"wall.bmp." + ended.Id() + L".tmp", std::wstring(L"notes.txt")}) {
        Make(folder / other);
    }

    tk::SaveBitmapFile(Pattern(4, 4), folder / L"wall.bmp");
    ::CloseHandle(writing);
    std::vector<std::wstring> names = folder.AllNames();
    std::sort(names.begin(), names.end());
    std::vector<std::wstring> expected = {L"notes.txt",
                                          L"other.bmp." + ended.Id() + L"-1.tmp",
                                          L"wall.bmp",
                                          L"wall.bmp." + ended.Id() + L".tmp",
                                          L"wall.bmp." + own + L"-5.tmp",           // held open
                                          L"wall.bmp." + running.Id() + L"-1.tmp",  // still runs
                                          L"wall.bmp.tmp"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(tk::DecodeImageFile(folder / L"wall.bmp").pixels, Pattern(4, 4).pixels);
}

TEST(PictureWineSave, PathsLongerThanTheClassicLimit) {
    TempFolder folder;
    std::wstring deep = folder.path();
    while (deep.size() < 300) {
        deep += L"\\" + std::wstring(60, L'd');
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    const std::wstring file = deep + L"\\long.bmp";
    tk::SaveBitmapFile(Pattern(3, 3), file);
    EXPECT_TRUE(tk::fs::FileExists(file));
    EXPECT_TRUE(tk::fs::FolderExists(deep));
    EXPECT_EQ(tk::DecodeImageFile(file).pixels, Pattern(3, 3).pixels);
    EXPECT_EQ(tk::fs::ListFiles(deep, L"*.bmp"), std::vector<std::wstring>{L"long.bmp"});
}

}  // namespace
