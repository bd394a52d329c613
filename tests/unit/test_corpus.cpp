// Every file of the image corpus through the headless decoder: good files decode at their size,
// invalid ones are refused cleanly, and nothing else (no crash, no other exception) happens.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/Text.h"
#include "tests/unit/CorpusManifest.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Image.h"
#include "toolkit/headless/HostPaths.h"

namespace {

namespace hl = tk::headless;

std::wstring WindowsPath(const std::string& relative) {
    std::wstring path = L"K:\\" + base::FromUtf8(relative);
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

enum class Outcome { Decoded, Refused };

// Decodes, checks that a decoded picture is well formed and can be written as a bitmap, and
// reports which way it went. Any exception other than PictureError fails the test.
Outcome Decode(const corpus::Entry& entry, tk::Bitmap& out) {
    try {
        out = tk::DecodeImageFile(WindowsPath(entry.path));
    } catch (const tk::PictureError&) {
        return Outcome::Refused;
    }
    EXPECT_GT(out.width, 0);
    EXPECT_GT(out.height, 0);
    EXPECT_EQ(out.pixels.size(), static_cast<std::size_t>(out.width) * out.height);
    const tk::ImageInfo written = tk::ProbeImage(tk::EncodeBmp24(out));
    EXPECT_EQ(written.width, out.width);
    EXPECT_EQ(written.height, out.height);
    return Outcome::Decoded;
}

class PictureCorpus : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = corpus::Folder();
        entries_ = corpus::ReadManifest(folder_);
        ASSERT_GT(entries_.size(), 400u) << "The image corpus was not found at \"" << folder_
                                         << "\" (set MURIVALE_CORPUS to its folder).";
        hl::MapDrive(L'K', folder_);
    }
    void TearDown() override { hl::ClearDriveMappings(); }

    template <typename Check>
    int ForEach(const std::string& expect, Check check) {
        int count = 0;
        for (const corpus::Entry& entry : entries_) {
            if (entry.expect != expect) continue;
            SCOPED_TRACE(entry.path);
            check(entry);
            ++count;
        }
        return count;
    }

    std::string folder_;
    std::vector<corpus::Entry> entries_;
};

TEST_F(PictureCorpus, GoodFilesDecodeAtTheirSize) {
    const int n = ForEach("decode", [](const corpus::Entry& entry) {
        tk::Bitmap bitmap;
        ASSERT_EQ(Decode(entry, bitmap), Outcome::Decoded);
        if (entry.width > 0) {
            EXPECT_EQ(bitmap.width, entry.width);
            EXPECT_EQ(bitmap.height, entry.height);
        }
    });
    EXPECT_GT(n, 150);
}

TEST_F(PictureCorpus, InvalidFilesAreRefused) {
    const int n = ForEach("reject", [](const corpus::Entry& entry) {
        EXPECT_THROW(tk::DecodeImageFile(WindowsPath(entry.path)), tk::PictureError);
    });
    EXPECT_GT(n, 40);
}

TEST_F(PictureCorpus, QuestionableFilesDecodeOrAreRefusedCleanly) {
    int decoded = 0;
    int refused = 0;
    for (const char* expect : {"either", "decode-optional", "reject-or-partial"}) {
        ForEach(expect, [&](const corpus::Entry& entry) {
            tk::Bitmap bitmap;
            (Decode(entry, bitmap) == Outcome::Decoded ? decoded : refused)++;
        });
    }
    EXPECT_GE(decoded + refused, 200);
    RecordProperty("decoded", decoded);
    RecordProperty("refused", refused);
}

TEST_F(PictureCorpus, UnlistedNamesMatchNoPictureWildcard) {
    const auto listed = [](const std::string& name) {
        const std::wstring wide = base::FromUtf8(name);
        for (const wchar_t* pattern : {L"*.jp*g", L"*.gif", L"*.bmp", L"*.dib"}) {
            if (tk::WildcardMatch(pattern, wide)) return true;
        }
        return false;
    };
    const int n = ForEach("not-listed", [&](const corpus::Entry& entry) {
        EXPECT_FALSE(listed(corpus::FileName(entry.path)));
    });
    EXPECT_GE(n, 6);
    for (const corpus::Entry& entry : entries_) {
        if (entry.path.rfind("odd-names/", 0) == 0 && entry.expect == "decode") {
            EXPECT_TRUE(listed(corpus::FileName(entry.path))) << entry.path;
        }
    }
}

TEST_F(PictureCorpus, OddFolderListsOnlyPictureFiles) {
    const std::vector<std::wstring> jpegs = tk::fs::ListFiles(L"K:\\odd-names", L"*.jp*g");
    EXPECT_EQ(std::count(jpegs.begin(), jpegs.end(), L"folder.jpg"), 0) << "a folder is not a file";
    EXPECT_EQ(std::count(jpegs.begin(), jpegs.end(), L".hidden.jpg"), 0) << "dot-files are hidden here";
    EXPECT_EQ(std::count(jpegs.begin(), jpegs.end(), L"Пейзаж.jpeg"), 1);
    EXPECT_EQ(std::count(jpegs.begin(), jpegs.end(), L"x.jpng"), 1);
    const std::vector<std::wstring> folders = tk::fs::ListFolders(L"K:\\odd-names");
    EXPECT_EQ(folders, std::vector<std::wstring>{L"folder.jpg"});
}

}  // namespace
