// The headless file system: drive mappings, listings (folders, hidden names, patterns, order),
// reading and the atomic write.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "toolkit/FileSystem.h"
#include "toolkit/headless/HostPaths.h"

namespace {

namespace hl = tk::headless;

class FileSystem : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/fstest-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        root_ = name;
        hl::MapDrive(L'd', root_ + "/");
    }
    void TearDown() override {
        hl::ClearDriveMappings();
        std::system(("rm -rf '" + root_ + "'").c_str());
    }
    void Touch(const std::string& name, const std::string& content = "x") {
        std::ofstream(root_ + "/" + name) << content;
    }
    void Folder(const std::string& name) { ASSERT_EQ(::mkdir((root_ + "/" + name).c_str(), 0755), 0); }
    std::string root_;
};

TEST_F(FileSystem, WindowsPathsMapOntoTheDriveFolder) {
    EXPECT_EQ(hl::HostPath(L"D:\\Pics\\a.jpg"), root_ + "/Pics/a.jpg");
    EXPECT_EQ(hl::HostPath(L"d:/Pics/"), root_ + "/Pics");
    EXPECT_EQ(hl::HostPath(L"D:\\"), root_);
    EXPECT_EQ(hl::HostPath(L"D:\\a\\.\\b\\..\\..\\..\\c"), root_ + "/c");  // never above the root
    EXPECT_EQ(hl::HostPath(L"D:\\café\\日本.gif"), root_ + "/caf\xC3\xA9/\xE6\x97\xA5\xE6\x9C\xAC.gif");
    EXPECT_THROW(hl::HostPath(L"E:\\a"), tk::FileError);
    EXPECT_THROW(hl::HostPath(L"relative\\a"), tk::FileError);
    EXPECT_THROW(hl::HostPath(L"\\\\server\\share"), tk::FileError);
    hl::MapDrive(L'E', "/x");
    EXPECT_EQ(hl::HostPath(L"e:\\a"), "/x/a");
}

// Several patterns: one listing, each name once however many patterns it matches, in one
// case-blind order across the patterns.
TEST_F(FileSystem, ListFilesWithSeveralPatternsListsEachNameOnceInOneOrder) {
    for (const char* name : {"b.gif", "A.JPG", "c.jpeg", "a.bmp", "B.DIB", "x.png", "d.jpg.txt"}) Touch(name);
    const std::vector<std::wstring> expected{L"a.bmp", L"A.JPG", L"B.DIB", L"b.gif", L"c.jpeg"};
    EXPECT_EQ(tk::fs::ListFiles(L"D:\\", L"*.jp*g;*.gif;*.bmp;*.dib"), expected);
    EXPECT_EQ(tk::fs::ListFiles(L"D:\\", L"*.jpg;;*.JPG;a*"), (std::vector<std::wstring>{L"a.bmp", L"A.JPG"}));
    EXPECT_TRUE(tk::fs::ListFiles(L"D:\\", L";").empty());
}

TEST_F(FileSystem, ListFilesMatchesFilesOnlyLeavesHiddenOutAndSorts) {
    Touch("b.JPG");
    Touch("a.jpeg");
    Touch("C.jpg");
    Touch(".hidden.jpg");
    Touch("note.txt");
    Folder("folder.jpg");
    const std::vector<std::wstring> expected{L"a.jpeg", L"b.JPG", L"C.jpg"};
    EXPECT_EQ(tk::fs::ListFiles(L"D:\\", L"*.jp*g"), expected);
    EXPECT_TRUE(tk::fs::ListFiles(L"D:\\", L"*.gif").empty());
    EXPECT_THROW(tk::fs::ListFiles(L"D:\\missing", L"*"), tk::FileError);
}

TEST_F(FileSystem, ListFoldersSortsWithoutRegardToCase) {
    Folder("beta");
    Folder("Alpha");
    Folder(".git");
    Touch("gamma");
    EXPECT_EQ(tk::fs::ListFolders(L"D:\\"), (std::vector<std::wstring>{L"Alpha", L"beta"}));
    EXPECT_THROW(tk::fs::ListFolders(L"D:\\gamma"), tk::FileError);
}

TEST_F(FileSystem, ExistenceReadingAndAtomicWrite) {
    Folder("sub");
    Touch("sub/f.bin", "abc");
    EXPECT_TRUE(tk::fs::FolderExists(L"D:\\sub"));
    EXPECT_FALSE(tk::fs::FileExists(L"D:\\sub"));
    EXPECT_TRUE(tk::fs::FileExists(L"D:\\sub\\f.bin"));
    EXPECT_FALSE(tk::fs::FolderExists(L"Z:\\sub"));  // unmapped drive: simply not there
    EXPECT_EQ(tk::fs::ReadFile(L"D:\\sub\\f.bin"), (std::vector<std::uint8_t>{'a', 'b', 'c'}));
    EXPECT_THROW(tk::fs::ReadFile(L"D:\\sub\\none"), tk::FileError);
    EXPECT_THROW(tk::fs::ReadFile(L"D:\\sub"), tk::FileError);

    const std::vector<std::uint8_t> big(300000, 0x5A);
    tk::fs::WriteFileAtomic(L"D:\\sub\\f.bin", big);
    EXPECT_EQ(tk::fs::ReadFile(L"D:\\sub\\f.bin"), big);
    tk::fs::WriteFileAtomic(L"D:\\sub\\empty", {});
    EXPECT_TRUE(tk::fs::ReadFile(L"D:\\sub\\empty").empty());
    EXPECT_EQ(tk::fs::ListFiles(L"D:\\sub", L"*.*"), (std::vector<std::wstring>{L"empty", L"f.bin"}));
    EXPECT_THROW(tk::fs::WriteFileAtomic(L"D:\\nope\\f.bin", big), tk::FileError);
}

TEST_F(FileSystem, PartsAreWrittenOneAfterAnotherAcrossChunks) {
    Folder("sub");
    const std::vector<std::uint8_t> head{'B', 'M', 7};
    std::vector<std::uint8_t> body((std::size_t{5} << 19) + 3);  // 2.5 MiB and a little: three chunks
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<std::uint8_t>(i * 7 + i / 4096);
    tk::fs::WriteFileAtomic(L"D:\\sub\\f.bin", std::vector<std::uint8_t>(10, 'x'));
    tk::fs::WritePartsAtomic(L"D:\\sub\\f.bin", {{head.data(), head.size()}, {nullptr, 0}, {body.data(), body.size()}});
    std::vector<std::uint8_t> expected = head;
    expected.insert(expected.end(), body.begin(), body.end());
    EXPECT_TRUE(tk::fs::ReadFile(L"D:\\sub\\f.bin") == expected);
    EXPECT_EQ(tk::fs::ListFiles(L"D:\\sub", L"*"), std::vector<std::wstring>{L"f.bin"});
    EXPECT_THROW(tk::fs::WritePartsAtomic(L"D:\\nope\\f.bin", {{head.data(), head.size()}}), tk::FileError);
}

// The number of a process that has ended (a child that was waited for).
std::uint32_t EndedProcessId() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return static_cast<std::uint32_t>(child);
}

std::string Utf8(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(TemporaryFiles, NamesCarryTheWriterAndAreRecognisedOnlyForTheirOwnFile) {
    const std::wstring name = L"alice_Wallpaper.bmp";
    EXPECT_EQ(tk::fs::TemporaryPathFor(L"C:\\P\\" + name, 1234, 7), L"C:\\P\\alice_Wallpaper.bmp.1234-7.tmp");
    EXPECT_EQ(tk::fs::TemporaryWriterOf(name, L"alice_Wallpaper.bmp.1234-7.tmp"), 1234u);
    EXPECT_EQ(tk::fs::TemporaryWriterOf(name, L"ALICE_WALLPAPER.BMP.4294967295-1.TMP"), 4294967295u);
    for (const wchar_t* other : {L"alice_Wallpaper.bmp", L"alice_Wallpaper.bmp.tmp",
                                 L"alice_Wallpaper.bmp.1234.tmp", L"alice_Wallpaper.bmp.-7.tmp",
                                 L"alice_Wallpaper.bmp.1234-.tmp", L"alice_Wallpaper.bmp.12a4-7.tmp",
                                 L"alice_Wallpaper.bmp.1234-7.tmp.keep", L"alice_Wallpaper.bmp.4294967296-1.tmp",
                                 L"alice_Wallpaper.bmpx.1234-7.tmp", L"bob_Wallpaper.bmp.1234-7.tmp",
                                 L"xalice_Wallpaper.bmp.1234-7.tmp", L"alice_Wallpaper.bmp.1-2-3.tmp"}) {
        EXPECT_EQ(tk::fs::TemporaryWriterOf(name, other), std::nullopt) << Utf8(other);
    }
}

// The old file a two-step replacement sets aside has a name of its own, told apart from the
// new file's both ways, so that it is put back rather than deleted as a half-written one.
TEST(TemporaryFiles, SetAsideNamesAreToldApartFromTheNewFilesNames) {
    const std::wstring name = L"alice_Wallpaper.bmp";
    const std::wstring aside = L"alice_Wallpaper.bmp.1234-7.old.tmp";
    EXPECT_EQ(tk::fs::SetAsidePathFor(L"C:\\P\\" + name, 1234, 7), L"C:\\P\\" + aside);
    EXPECT_EQ(tk::fs::SetAsideWriterOf(name, aside), 1234u);
    EXPECT_EQ(tk::fs::SetAsideWriterOf(name, L"ALICE_WALLPAPER.BMP.4294967295-1.OLD.TMP"), 4294967295u);
    EXPECT_EQ(tk::fs::TemporaryWriterOf(name, aside), std::nullopt);
    EXPECT_EQ(tk::fs::SetAsideWriterOf(name, L"alice_Wallpaper.bmp.1234-7.tmp"), std::nullopt);
    for (const wchar_t* other : {L"alice_Wallpaper.bmp.old.tmp", L"alice_Wallpaper.bmp.1234.old.tmp",
                                 L"alice_Wallpaper.bmp.1234-7.old", L"alice_Wallpaper.bmp.1234-7.older.tmp",
                                 L"alice_Wallpaper.bmp.1234-7.old.old.tmp", L"bob_Wallpaper.bmp.1234-7.old.tmp",
                                 L".old.tmp", L"alice_Wallpaper.bmpx.1234-7.old.tmp"}) {
        EXPECT_EQ(tk::fs::SetAsideWriterOf(name, other), std::nullopt) << Utf8(other);
        EXPECT_EQ(tk::fs::TemporaryWriterOf(name, other), std::nullopt) << Utf8(other);
    }
}

// A write that was cut off leaves its temporary file; the next write of the same file removes
// it, as long as its writer has ended, and leaves everything else alone.
TEST_F(FileSystem, AtomicWriteRemovesWhatInterruptedWritesLeftAndNothingElse) {
    const std::string ended = std::to_string(EndedProcessId());
    const std::string own = std::to_string(::getpid());
    const std::string running = std::to_string(::getppid());
    const std::vector<std::string> leftovers = {"alice_Wallpaper.bmp." + ended + "-1.tmp",
                                                "alice_Wallpaper.bmp." + own + "-3.tmp"};
    const std::vector<std::string> kept = {
        "alice_Wallpaper.bmp." + running + "-1.tmp",  // its writer may still be at work
        "bob_Wallpaper.bmp." + ended + "-1.tmp",      // another file's
        "alice_Base.bmp." + ended + "-1.tmp",
        "alice_Wallpaper.bmp." + ended + ".tmp",      // not a name the writes make
        "alice_Wallpaper.bmp.tmp", "notes.txt"};
    for (const auto& name : leftovers) Touch(name, std::string(1000, 'h'));
    for (const auto& name : kept) Touch(name);

    const std::vector<std::uint8_t> whole(5000, 0x42);
    tk::fs::WriteFileAtomic(L"D:\\alice_Wallpaper.bmp", whole);
    EXPECT_EQ(tk::fs::ReadFile(L"D:\\alice_Wallpaper.bmp"), whole);
    for (const auto& name : leftovers) {
        EXPECT_FALSE(tk::fs::FileExists(L"D:\\" + std::wstring(name.begin(), name.end()))) << name;
    }
    for (const auto& name : kept) {
        EXPECT_TRUE(tk::fs::FileExists(L"D:\\" + std::wstring(name.begin(), name.end()))) << name;
    }
}

}  // namespace
