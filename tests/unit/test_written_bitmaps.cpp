// Every corpus file loaded into a picture box and saved as the wallpaper is (LoadPicture, then
// SavePicture) on the headless backend: the bitmap written, byte for byte, and which files are
// refused, as recorded in tests/data/written-bitmaps-headless.tsv. To record the table anew
// (only when a change of output is meant), run with MURIVALE_RECORD_WRITTEN=1; a recording is
// merged into the table there (WrittenBitmaps.h).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/Text.h"
#include "tests/unit/CorpusManifest.h"
#include "tests/unit/WrittenBitmaps.h"
#include "toolkit/Controls.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Form.h"
#include "toolkit/Image.h"
#include "toolkit/headless/Headless.h"
#include "toolkit/headless/HostPaths.h"

namespace {

namespace hl = tk::headless;

const std::string kTable = std::string(MURIVALE_SOURCE_DIR) + "/tests/data/written-bitmaps-headless.tsv";

class SaveForm : public tk::Form {
public:
    SaveForm() : tk::Form(L"SaveForm", tk::FormStyle{}), box(*this, L"picSave", {0, 0, 255, 255}, false) {}
    tk::PictureBox box;
};

std::wstring CorpusPath(const std::string& relative) {
    std::wstring path = L"K:\\" + base::FromUtf8(relative);
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

class WrittenBitmaps : public ::testing::Test {
protected:
    void SetUp() override {
        hl::Reset();
        entries_ = corpus::ReadManifest(corpus::Folder());
        ASSERT_GT(entries_.size(), 400u) << "no image corpus at \"" << corpus::Folder() << "\"";
        hl::MapDrive(L'K', corpus::Folder());
        std::string pattern = (std::filesystem::temp_directory_path() / "written-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        out_ = pattern;
        hl::MapDrive(L'T', out_);
    }
    void TearDown() override {
        hl::ClearDriveMappings();
        std::filesystem::remove_all(out_);
    }

    std::vector<corpus::Entry> entries_;
    std::string out_;
};

TEST_F(WrittenBitmaps, EveryCorpusFileIsWrittenAsRecorded) {
    SaveForm form;
    written::Table now;
    int decoded = 0;
    for (const corpus::Entry& entry : entries_) {
        if (entry.expect == "not-listed") continue;
        SCOPED_TRACE(entry.path);
        try {
            form.box.LoadPicture(CorpusPath(entry.path));
        } catch (const tk::PictureError&) {
            now[entry.path] = written::Refused();
            continue;
        }
        form.box.SavePicture(L"T:\\wall.bmp");
        const auto* picture = form.box.Picture().get();
        now[entry.path] = written::Describe(picture->width, picture->height, tk::fs::ReadFile(L"T:\\wall.bmp"));
        ++decoded;
    }
    EXPECT_GT(decoded, 250);
    if (const char* record = std::getenv("MURIVALE_RECORD_WRITTEN"); record != nullptr && *record == '1') {
        if (std::ifstream earlier{kTable, std::ios::binary}) {
            written::Merge(now, written::ParseTable({std::istreambuf_iterator<char>(earlier), {}}));
        }
        const std::vector<std::uint8_t> text = written::FormatTable(now, "headless backend: corpus path, then WxH bytes fnv1a64 of the bitmap written");
        std::ofstream(kTable, std::ios::binary).write(reinterpret_cast<const char*>(text.data()),
                                                       static_cast<std::streamsize>(text.size()));
        GTEST_SKIP() << "recorded " << now.size() << " files in " << kTable;
    }
    std::ifstream in(kTable, std::ios::binary);
    ASSERT_TRUE(in) << "no table at " << kTable;
    const std::vector<std::uint8_t> text{std::istreambuf_iterator<char>(in), {}};
    const written::Table recorded = written::ParseTable(text);
    ASSERT_GT(recorded.size(), 400u);
    for (const std::string& difference : written::Differences(recorded, now)) ADD_FAILURE() << difference;
}

}  // namespace
