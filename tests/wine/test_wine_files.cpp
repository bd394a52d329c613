// The Win32 file operations on the real file system (run under Wine), as the NT family does them
// and, with the 98 test shim attached (tests/win98/wine-tests98.sh), as Windows 98 and Me do:
// the replacement in two steps there, what writes and reads do with what an interrupted write
// left, listings, and paths near the classic limit. The helpers here use the 8-bit functions
// only, which both families have.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/Text.h"
#include "base/win32/WinCalls.h"
#include "toolkit/FileSystem.h"

namespace {

using base::win32::IsWin9x;
using Bytes = std::vector<std::uint8_t>;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }
std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    const HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveTree(path);
            } else {
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(folder.c_str());
}

// A new, empty folder in the temporary folder (ASCII path), removed with its content at the end.
class Folder {
public:
    Folder() {
        static int serial = 0;
        char base[MAX_PATH];
        ::GetTempPathA(MAX_PATH, base);
        path_ = std::string(base) + "filetest-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(::GetTickCount()) + "-" + std::to_string(++serial);
        RemoveTree(path_);
        ::CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~Folder() { RemoveTree(path_); }
    std::wstring operator/(const std::string& name) const { return Wide(path_ + "\\" + name); }
    std::wstring Path() const { return Wide(path_); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        const HANDLE find = ::FindFirstFileA((path_ + "\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            const std::string name = data.cFileName;
            if (name != "." && name != "..") names.push_back(name);
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string path_;
};

void Make(const std::wstring& path, const Bytes& bytes, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    const HANDLE file = ::CreateFileA(Narrow(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << Narrow(path);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

Bytes Whole(char fill, std::size_t size = 3000) { return Bytes(size, static_cast<std::uint8_t>(fill)); }

bool Exists(const std::wstring& path) { return ::GetFileAttributesA(Narrow(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// A process of the system's command interpreter: ended (waited for) or, suspended, running.
struct ChildProcess {
    PROCESS_INFORMATION info{};
    bool ok = false;
    explicit ChildProcess(bool keepRunning) {
        char system[MAX_PATH];
        ::GetSystemDirectoryA(system, MAX_PATH);
        std::string command = "\"" + std::string(system) + "\\cmd.exe\" /c exit 0";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ok = ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE,
                              CREATE_NO_WINDOW | (keepRunning ? CREATE_SUSPENDED : 0), nullptr, nullptr,
                              &startup, &info) != FALSE;
        if (ok && !keepRunning) ::WaitForSingleObject(info.hProcess, 10000);
    }
    ~ChildProcess() {
        if (!ok) return;
        ::TerminateProcess(info.hProcess, 0);
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
    }
    std::uint32_t Id() const { return info.dwProcessId; }
};

TEST(FilesWine, ReplacementLeavesTheNewFileAloneAndFailsCleanly) {
    Folder folder;
    const std::wstring wall = folder / "wall.bmp";
    tk::fs::WriteFileAtomic(wall, {'o', 'l', 'd'});
    const Bytes head{'B', 'M'}, body = Whole('n', 5000);
    tk::fs::WritePartsAtomic(wall, {{head.data(), head.size()}, {body.data(), body.size()}});
    Bytes expected = head;
    expected.insert(expected.end(), body.begin(), body.end());
    EXPECT_EQ(tk::fs::ReadFile(wall), expected);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"wall.bmp"});

    // Nothing takes the place of a folder or a file someone holds open, nor on 9x of a
    // read-only file (as Windows of the NT family refuses it, which Wine does not), and nothing
    // is left beside them.
    EXPECT_THROW(tk::fs::WriteFileAtomic(folder / "missing\\wall.bmp", {'x'}), tk::FileError);
    ASSERT_TRUE(::CreateDirectoryA(Narrow(folder / "dir.bmp").c_str(), nullptr));
    EXPECT_THROW(tk::fs::WriteFileAtomic(folder / "dir.bmp", {'x'}), tk::FileError);
    EXPECT_TRUE(tk::fs::FolderExists(folder / "dir.bmp"));
    Make(folder / "kept.bmp", Whole('k'), FILE_ATTRIBUTE_READONLY);
    if (IsWin9x()) {
        EXPECT_THROW(tk::fs::WriteFileAtomic(folder / "kept.bmp", {'x'}), tk::FileError);
        EXPECT_EQ(tk::fs::ReadFile(folder / "kept.bmp"), Whole('k'));
    }
    const HANDLE held = ::CreateFileA(Narrow(wall).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_THROW(tk::fs::WriteFileAtomic(wall, {'x'}), tk::FileError);
    ::CloseHandle(held);
    EXPECT_EQ(tk::fs::ReadFile(wall), expected);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"dir.bmp", "kept.bmp", "wall.bmp"}));
}

// Each state a write cut off at some moment leaves, made by hand for a writer that has ended,
// and what the next write (and on 9x a read) makes of it. At every moment a whole file has the
// name or, between the two moves of the 9x replacement, lies beside it; it is never lost.
TEST(FilesWine, WhatAnInterruptedWriteLeftIsPutBackOrRemoved) {
    ChildProcess ended(false), running(true);
    ASSERT_TRUE(ended.ok && running.ok);
    const auto temporary = [](const std::wstring& path, std::uint32_t id, std::uint32_t serial) {
        return tk::fs::TemporaryPathFor(path, id, serial);
    };
    const auto aside = [](const std::wstring& path, std::uint32_t id, std::uint32_t serial) {
        return tk::fs::SetAsidePathFor(path, id, serial);
    };
    {
        SCOPED_TRACE("cut off while writing the new file: the old one stays, the new one goes");
        Folder folder;
        const std::wstring wall = folder / "wall.bmp";
        Make(wall, Whole('o'));
        Make(temporary(wall, ended.Id(), 4), {'h', 'a', 'l', 'f'});
        EXPECT_EQ(tk::fs::ReadFile(wall), Whole('o'));
        tk::fs::WriteFileAtomic(wall, Whole('n'));
        EXPECT_EQ(tk::fs::ReadFile(wall), Whole('n'));
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"wall.bmp"});
    }
    {
        SCOPED_TRACE("cut off between the two moves: the old file is put back, not deleted");
        Folder folder;
        const std::wstring wall = folder / "wall.bmp";
        const auto cutOff = [&](DWORD attributes) {
            ::DeleteFileA(Narrow(aside(wall, ended.Id(), 4)).c_str());
            Make(aside(wall, ended.Id(), 4), Whole('o'), attributes);
            Make(temporary(wall, ended.Id(), 4), Whole('n'));
        };
        cutOff(FILE_ATTRIBUTE_NORMAL);
        if (IsWin9x()) {
            EXPECT_EQ(tk::fs::ReadFile(wall), Whole('o'));
            EXPECT_EQ(folder.Names().size(), 2u) << "a read deletes nothing";
            // A read-only file is not replaced there: a write that fails after its clean-up
            // shows what the clean-up made of the name.
            ASSERT_TRUE(::DeleteFileA(Narrow(wall).c_str()));
            cutOff(FILE_ATTRIBUTE_READONLY);
            EXPECT_THROW(tk::fs::WriteFileAtomic(wall, Whole('x')), tk::FileError);
            EXPECT_EQ(tk::fs::ReadFile(wall), Whole('o'));
            ASSERT_TRUE(::SetFileAttributesA(Narrow(wall).c_str(), FILE_ATTRIBUTE_NORMAL));
        } else {
            EXPECT_THROW(tk::fs::ReadFile(wall), tk::FileError);  // the NT family never leaves this
        }
        tk::fs::WriteFileAtomic(wall, Whole('m'));
        EXPECT_EQ(tk::fs::ReadFile(wall), Whole('m'));
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"wall.bmp"});
    }
    {
        SCOPED_TRACE("cut off before deleting the old file: the new one stays, the old one goes");
        Folder folder;
        const std::wstring wall = folder / "wall.bmp";
        Make(wall, Whole('n'));
        Make(aside(wall, ended.Id(), 4), Whole('o'));
        EXPECT_EQ(tk::fs::ReadFile(wall), Whole('n'));
        EXPECT_EQ(folder.Names().size(), 2u) << "a read deletes nothing";
        tk::fs::WriteFileAtomic(wall, Whole('m'));
        EXPECT_EQ(tk::fs::ReadFile(wall), Whole('m'));
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"wall.bmp"});
    }
    {
        SCOPED_TRACE("several set aside: one is put back, the others go");
        Folder folder;
        const std::wstring wall = folder / "wall.bmp";
        Make(aside(wall, ended.Id(), 1), Whole('o'));
        Make(aside(wall, ended.Id(), 2), Whole('p'));
        tk::fs::WriteFileAtomic(wall, Whole('n'));
        EXPECT_EQ(tk::fs::ReadFile(wall), Whole('n'));
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"wall.bmp"});
    }
    {
        SCOPED_TRACE("a write still at work: what it set aside is left to it");
        Folder folder;
        const std::wstring wall = folder / "wall.bmp";
        const std::wstring itsOld = aside(wall, running.Id(), 4);
        Make(itsOld, Whole('o'));
        EXPECT_THROW(tk::fs::ReadFile(wall), tk::FileError);
        tk::fs::WriteFileAtomic(wall, Whole('n'));
        EXPECT_EQ(tk::fs::ReadFile(wall), Whole('n'));
        EXPECT_EQ(tk::fs::ReadFile(itsOld), Whole('o'));
        EXPECT_EQ(folder.Names().size(), 2u);
    }
}

TEST(FilesWine, ListingsAndPathsNearTheClassicLimit) {
    Folder folder;
    Make(folder / "b.jpg", {'b'});
    Make(folder / "A.bmp", {'a'});
    Make(folder / "c.gif", {'c'});
    Make(folder / "hidden.jpg", {'h'}, FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(::CreateDirectoryA(Narrow(folder / "sub").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA(Narrow(folder / "Dir.jpg").c_str(), nullptr));
    EXPECT_EQ(tk::fs::ListFiles(folder.Path(), L"*.jpg;*.BMP"), (std::vector<std::wstring>{L"A.bmp", L"b.jpg"}));
    EXPECT_EQ(tk::fs::ListFiles(folder.Path(), L"*.gif"), std::vector<std::wstring>{L"c.gif"});
    EXPECT_TRUE(tk::fs::ListFiles(folder.Path(), L"*.png").empty());
    EXPECT_EQ(tk::fs::ListFolders(folder.Path()), (std::vector<std::wstring>{L"Dir.jpg", L"sub"}));
    EXPECT_THROW(tk::fs::ListFiles(folder / "missing", L"*"), tk::FileError);
    EXPECT_THROW(tk::fs::ReadFile(folder / "missing.bmp"), tk::FileError);

    // Paths so long that the NT family is handed their "\\?\" form, which 9x refuses: they
    // work on both, each in its own form.
    std::wstring deep = folder.Path();
    while (deep.size() < MAX_PATH - 40) {
        deep += L"\\" + std::wstring(std::min<std::size_t>(30, MAX_PATH - 36 - deep.size()), L'd');
        ASSERT_TRUE(::CreateDirectoryA(Narrow(deep).c_str(), nullptr)) << deep.size();
    }
    const std::wstring file = deep + L"\\" + std::wstring(MAX_PATH - 6 - deep.size(), L'f') + L".bmp";
    ASSERT_GE(file.size() + 14, static_cast<std::size_t>(MAX_PATH));
    ASSERT_LT(file.size(), static_cast<std::size_t>(MAX_PATH));
    Make(file, Whole('l'));
    EXPECT_TRUE(tk::fs::FileExists(file));
    EXPECT_FALSE(tk::fs::FolderExists(file));
    EXPECT_EQ(tk::fs::ReadFile(file), Whole('l'));
    EXPECT_EQ(tk::fs::ListFiles(deep, L"*.bmp"), std::vector<std::wstring>{file.substr(deep.size() + 1)});
}

// The writer of WriterUntilKilled, started again from this program: the path it writes, and
// the event it sets once its first write is done.
constexpr char kWriterSwitch[] = "--write-until-killed";

// Ends a process that writes the same file over and over at some moment of its work, again and
// again: each time a whole file has the name or lies beside it, and the next read and write
// find it.
TEST(FilesWine, AKillAtAnyMomentLeavesAWholeFile) {
    char self[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    Folder folder;
    const std::wstring wall = folder / "wall.bmp";
    tk::fs::WriteFileAtomic(wall, Whole('o'));
    const auto whole = [](const Bytes& bytes) {
        return bytes.size() == 3000 && std::all_of(bytes.begin(), bytes.end(), [&](std::uint8_t b) {
                   return b == bytes[0] && (b == 'o' || b == 'a' || b == 'b');
               });
    };
    // The shim's log of this process is rewritten while it runs: the writers get logs of their own.
    char log[MAX_PATH] = {};
    const DWORD logLength = ::GetEnvironmentVariableA("SHIM98_LOG", log, MAX_PATH);
    std::srand(::GetTickCount());
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string event = "filetest-written-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                  std::to_string(round);
        const HANDLE written = ::CreateEventA(nullptr, TRUE, FALSE, event.c_str());
        ASSERT_NE(written, nullptr);
        if (logLength > 0 && logLength < MAX_PATH) {
            ::SetEnvironmentVariableA("SHIM98_LOG", (std::string(log) + ".writer" + std::to_string(round)).c_str());
        }
        std::string command = "\"" + std::string(self) + "\" " + kWriterSwitch + " \"" + Narrow(wall) + "\" " + event;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        const bool started = ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                              &startup, &info) != FALSE;
        if (logLength > 0 && logLength < MAX_PATH) ::SetEnvironmentVariableA("SHIM98_LOG", log);
        ASSERT_TRUE(started);
        const HANDLE waits[] = {written, info.hProcess};
        const DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, 30000);
        if (woke == WAIT_OBJECT_0) ::Sleep(static_cast<DWORD>(std::rand() % 40));
        ::TerminateProcess(info.hProcess, 1);
        ::WaitForSingleObject(info.hProcess, 10000);
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
        ::CloseHandle(written);
        ASSERT_EQ(woke, WAIT_OBJECT_0) << "the writer did not get to write";

        bool found = false;
        for (const std::string& name : folder.Names()) {
            const std::wstring path = folder / name;
            if (name == "wall.bmp" || tk::fs::SetAsideWriterOf(L"wall.bmp", Wide(name))) {
                EXPECT_TRUE(whole(tk::fs::ReadFile(path))) << name;
                found = true;
            } else {
                EXPECT_TRUE(tk::fs::TemporaryWriterOf(L"wall.bmp", Wide(name))) << name;
            }
        }
        EXPECT_TRUE(found) << "no whole file under the name or beside it";
        if (!IsWin9x()) {
            EXPECT_TRUE(Exists(wall)) << "the NT family replaces in one step";
        }
        EXPECT_TRUE(whole(tk::fs::ReadFile(wall)));
        tk::fs::WriteFileAtomic(wall, Whole('o'));
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"wall.bmp"});
    }
}

}  // namespace

namespace wine_files {

// Run as the writer of AKillAtAnyMomentLeavesAWholeFile (`argv`: kWriterSwitch PATH EVENT):
// writes PATH over and over, in turn whole of 'a' and of 'b', until it is ended. Returns false
// when the arguments are not for it.
bool WriteUntilKilled(int argc, char** argv) {
    if (argc != 4 || std::string(argv[1]) != kWriterSwitch) return false;
    const std::wstring path = Wide(argv[2]);
    const HANDLE written = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]);
    for (int n = 0;; ++n) {
        try {
            tk::fs::WriteFileAtomic(path, Whole(n % 2 == 0 ? 'a' : 'b'));
        } catch (const tk::FileError&) {
            ::Sleep(1);  // the test reads the file between two rounds only, but take no chances
        }
        if (n == 0 && written != nullptr) ::SetEvent(written);
    }
}

}  // namespace wine_files
