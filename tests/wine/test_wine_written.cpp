// Every corpus file loaded into a picture box and saved as the wallpaper is (LoadPicture, then
// SavePicture) on the real Win32 backend, through the automatic choice of decoder and through
// the OLE picture loader alone: the bitmap written, byte for byte, and which files are refused,
// as recorded in tests/data/written-bitmaps-wine.tsv. To record the table anew (only when a
// change of output is meant), run with MURIVALE_RECORD_WRITTEN=1, several times: each recording
// is merged into the table there, and a file written differently by two marked as varying.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/Text.h"
#include "tests/unit/CorpusManifest.h"
#include "tests/unit/WrittenBitmaps.h"
#include "tests/wine/WinePaths.h"
#include "toolkit/Controls.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Form.h"
#include "toolkit/Image.h"
#include "toolkit/win32/ImageDecoder.h"

namespace {

using tk::win32::DecoderPath;

using wine_paths::WindowsPath;

class SaveForm : public tk::Form {
public:
    SaveForm() : tk::Form(L"frmSave", tk::FormStyle{}), box(*this, L"picSave", {0, 0, 255, 255}, false) {}
    tk::PictureBox box;
};

// Each file through one decoder path, its outcome keyed by "<path label>:<corpus path>".
void WriteAll(DecoderPath path, const char* label, written::Table& table) {
    tk::win32::SetDecoderPath(path);
    struct Restore {
        ~Restore() { tk::win32::SetDecoderPath(DecoderPath::Auto); }
    } restore;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring out = std::wstring(temp) + L"written-" + std::to_wstring(::GetCurrentProcessId()) + L".bmp";
    SaveForm form;
    for (const corpus::Entry& entry : corpus::ReadManifest(corpus::Folder())) {
        if (entry.expect == "not-listed") continue;
        SCOPED_TRACE(entry.path);
        const std::string key = std::string(label) + ":" + entry.path;
        try {
            form.box.LoadPicture(WindowsPath(corpus::Folder() + "/" + entry.path));
        } catch (const tk::PictureError&) {
            table[key] = written::Refused();
            continue;
        }
        form.box.SavePicture(out);
        const auto* picture = form.box.Picture().get();
        table[key] = written::Describe(picture->width, picture->height, tk::fs::ReadFile(out));
    }
    ::DeleteFileW(out.c_str());
}

TEST(WrittenBitmapsWine, EveryCorpusFileIsWrittenAsRecorded) {
    ASSERT_GT(corpus::ReadManifest(corpus::Folder()).size(), 400u) << "no image corpus at " << corpus::Folder();
    written::Table now;
    WriteAll(DecoderPath::Auto, "auto", now);
    WriteAll(DecoderPath::OlePicture, "ole", now);
    const std::wstring table = WindowsPath(std::string(MURIVALE_SOURCE_DIR) + "/tests/data/written-bitmaps-wine.tsv");
    if (const char* record = std::getenv("MURIVALE_RECORD_WRITTEN"); record != nullptr && *record == '1') {
        if (tk::fs::FileExists(table)) written::Merge(now, written::ParseTable(tk::fs::ReadFile(table)));
        tk::fs::WriteFileAtomic(table, written::FormatTable(now, "Win32 backend under Wine: decoder path and corpus path, then WxH bytes fnv1a64 of the bitmap written"));
        GTEST_SKIP() << "recorded " << now.size() << " outcomes";
    }
    const written::Table recorded = written::ParseTable(tk::fs::ReadFile(table));
    ASSERT_GT(recorded.size(), 800u);
    for (const std::string& difference : written::Differences(recorded, now)) ADD_FAILURE() << difference;
}

}  // namespace
