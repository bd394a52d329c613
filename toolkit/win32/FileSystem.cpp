// The file operations on Windows, through the layer that calls the wide or the 8-bit form of
// each function (base/win32/WinCalls.h). On the NT family, paths too long for the classic limit
// are handed to the system in their "\\?\" form, after being made full and normal (that form is
// taken literally); Windows 95, 98 and Me know no such form and get every path as it is.
#include "toolkit/win32/Win32Parts.h"

#include "toolkit/FileSystem.h"

#include <windows.h>

#include <algorithm>

#include "base/Text.h"
#include "base/win32/Handles.h"
#include "base/win32/WinCalls.h"

namespace tk::win32 {

using fs::SetAsidePathFor;
using fs::SetAsideWriterOf;
using fs::TemporaryPathFor;
using fs::TemporaryWriterOf;

namespace {

using base::win32::FoundFile;
using base::win32::IsWin9x;
using base::win32::UniqueFile;
using base::win32::UniqueFind;

constexpr std::size_t kRoomForNames = 14;  // a folder path must leave room for an 8.3 name
constexpr DWORD kChunk = 1u << 20;

std::string SystemMessage(DWORD error) {
    std::wstring message = base::win32::FormatMessageT(error);
    if (message.empty()) message = L"error " + base::DecimalText(error);
    return base::ToUtf8(message);
}

[[noreturn]] void Fail(const char* what, const std::wstring& path, DWORD error = ::GetLastError()) {
    throw FileError(std::string(what) + " \"" + base::ToUtf8(path) + "\": " + SystemMessage(error));
}

// The form of `path` to hand to the system.
std::wstring SystemPath(const std::wstring& path) {
    if (IsWin9x() || path.size() + kRoomForNames < MAX_PATH || path.rfind(L"\\\\?\\", 0) == 0) return path;
    const std::wstring full = base::win32::GetFullPathNameT(path);
    if (full.empty()) return path;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

DWORD Attributes(const std::wstring& path) { return base::win32::GetFileAttributesT(SystemPath(path)); }

bool IsFolderAt(const std::wstring& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFileAt(const std::wstring& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) return folder + name;
    return folder + L"\\" + name;
}

bool Listed(const FoundFile& found) {
    if ((found.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) return false;
    return found.name != L"." && found.name != L"..";
}

bool IsFolder(const FoundFile& found) { return (found.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// Every visible entry that the system finds for folder\pattern.
template <typename Visit>
void ForEachEntry(const std::wstring& folder, const std::wstring& pattern, Visit visit) {
    FoundFile found;
    UniqueFind find(base::win32::FindFirstFileT(SystemPath(Join(folder, pattern)), found));
    if (!find) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND && IsFolderAt(folder)) return;  // nothing matches
        Fail("Cannot list", folder, error);
    }
    do {
        if (Listed(found)) visit(found);
    } while (base::win32::FindNextFileT(find.Get(), found));
}

void WriteAll(HANDLE file, const ByteSpan& bytes, const std::wstring& path) {
    std::size_t done = 0;
    while (done < bytes.size) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size - done, kChunk));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data + done, chunk, &written, nullptr) || written == 0) Fail("Cannot write", path);
        done += written;
    }
}

// A new, uniquely named file beside `path`; `serial` is the number in its name.
UniqueFile CreateTemporaryBeside(const std::wstring& path, std::wstring& tempPath, std::uint32_t& serial) {
    static LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        serial = static_cast<std::uint32_t>(::InterlockedIncrement(&counter));
        tempPath = TemporaryPathFor(path, ::GetCurrentProcessId(), serial);
        UniqueFile file(base::win32::CreateFileT(SystemPath(tempPath), GENERIC_WRITE, 0, CREATE_NEW,
                                                 FILE_ATTRIBUTE_NORMAL));
        if (file) return file;
        if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            Fail("Cannot create a file beside", path);
        }
    }
    Fail("Cannot create a file beside", path, ERROR_FILE_EXISTS);
}

std::uint64_t FileTimeValue(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Whether the process `processId` may still be writing a file made at `made`. A process that
// cannot be opened for lack of rights exists; one that started after the file was made has
// only inherited the number of the writer, which has ended. Windows 95, 98 and Me do not tell
// when a process started: there a running process with the number counts as the writer.
bool WriterMayRun(DWORD processId, const FILETIME& made) {
    if (processId == ::GetCurrentProcessId()) return false;  // this process writes one at a time
    base::win32::UniqueKernelHandle process(
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED;
    if (::WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT) return false;  // it has ended
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!base::win32::GetProcessTimesT(process.Get(), &created, &exited, &kernel, &user)) return true;
    return FileTimeValue(created) <= FileTimeValue(made);
}

bool IsMissing(const std::wstring& path) {
    return Attributes(path) == INVALID_FILE_ATTRIBUTES && ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Cleans up after the interrupted writes of `path` whose writer has ended: deletes their
// temporary files, and of the old files they set aside puts one back when `path` is missing
// (the write was cut off between its two moves) and deletes the others. A temporary file that
// its writer still holds open cannot be deleted (it is written without sharing) and stays.
// `setAsideOnly`: only put back a missing file, delete nothing (for a reader, which may run
// beside a write of this process).
void RemoveLeftTemporaries(const std::wstring& path, bool setAsideOnly = false) {
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    const std::wstring fileName = slash == std::wstring::npos ? path : path.substr(slash + 1);
    FoundFile found;
    UniqueFind find(base::win32::FindFirstFileT(SystemPath(path + L".*.tmp"), found));
    if (!find) return;
    do {
        if (IsFolder(found)) continue;
        const std::wstring left = folder + found.name;
        if (const auto writer = TemporaryWriterOf(fileName, found.name)) {
            if (!setAsideOnly && !WriterMayRun(*writer, found.created)) base::win32::DeleteFileT(SystemPath(left));
        } else if (const auto setter = SetAsideWriterOf(fileName, found.name)) {
            if (setAsideOnly && *setter == ::GetCurrentProcessId()) continue;
            // A file set aside keeps the times of the old file, not those of its new name: any
            // process with the writer's number counts as the writer.
            constexpr FILETIME kAnyTime{0xFFFFFFFFu, 0x7FFFFFFFu};
            if (WriterMayRun(*setter, kAnyTime)) continue;
            if (IsMissing(path)) {
                base::win32::MoveFileT(SystemPath(left), SystemPath(path));
            } else if (!setAsideOnly) {
                base::win32::DeleteFileT(SystemPath(left));
            }
        }
    } while (base::win32::FindNextFileT(find.Get(), found));
}

// Puts the new file at `tempPath` in the place of `path` where the system has no call that
// replaces a file: the old file is moved aside, the new one in, and the old one deleted. At
// every moment a whole file has the name or, between the two moves, lies beside it under the
// name RemoveLeftTemporaries puts back. On a failure the old file goes back in its place.
void ReplaceInTwoSteps(const std::wstring& tempPath, const std::wstring& path, std::uint32_t serial) {
    // As the one-step replacement, which refuses a folder or a read-only file in the way.
    const DWORD attributes = Attributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        Fail("Cannot replace", path, ERROR_ACCESS_DENIED);
    }
    const std::wstring aside = SetAsidePathFor(path, ::GetCurrentProcessId(), serial);
    bool setAside = false;
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (!base::win32::MoveFileT(SystemPath(path), SystemPath(aside))) Fail("Cannot replace", path);
        setAside = true;
    }
    if (!base::win32::MoveFileT(SystemPath(tempPath), SystemPath(path))) {
        const DWORD error = ::GetLastError();
        // When even that fails, the old file stays beside, for the next write or read to put back.
        if (setAside) base::win32::MoveFileT(SystemPath(aside), SystemPath(path));
        Fail("Cannot replace", path, error);
    }
    // The replacement is done; an old file that cannot be deleted now goes with the next write.
    if (setAside) base::win32::DeleteFileT(SystemPath(aside));
}

}  // namespace

std::vector<std::uint8_t> Win32Files::ReadFile(const std::wstring& path) {
    const auto open = [&] {
        return UniqueFile(base::win32::CreateFileT(SystemPath(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
    };
    UniqueFile file = open();
    if (!file && IsWin9x() && ::GetLastError() == ERROR_FILE_NOT_FOUND) {
        // Perhaps a replacement cut off between its two moves: its old file is put back.
        RemoveLeftTemporaries(path, true);
        file = open();
    }
    if (!file) Fail("Cannot open", path);
    // GetFileSize, not its Ex form: the size in two halves, as every Windows has it.
    LARGE_INTEGER size{};
    DWORD high = 0;
    size.LowPart = ::GetFileSize(file.Get(), &high);
    if (size.LowPart == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) Fail("Cannot read", path);
    size.HighPart = static_cast<LONG>(high);
    if (static_cast<unsigned long long>(size.QuadPart) > std::vector<std::uint8_t>().max_size() / 2) {
        Fail("Cannot read", path, ERROR_FILE_TOO_LARGE);
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kChunk));
        DWORD got = 0;
        if (!::ReadFile(file.Get(), bytes.data() + done, chunk, &got, nullptr)) Fail("Cannot read", path);
        if (got == 0) break;  // the file shrank meanwhile
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

void Win32Files::WriteFileAtomic(const std::wstring& path, const std::vector<ByteSpan>& parts) {
    RemoveLeftTemporaries(path);
    std::wstring tempPath;
    std::uint32_t serial = 0;
    UniqueFile file = CreateTemporaryBeside(path, tempPath, serial);
    try {
        for (const ByteSpan& part : parts) WriteAll(file.Get(), part, path);
        if (!::FlushFileBuffers(file.Get())) Fail("Cannot write", path);
        file.Reset();
        if (IsWin9x()) {
            ReplaceInTwoSteps(tempPath, path, serial);
        } else if (!base::win32::MoveFileExT(SystemPath(tempPath), SystemPath(path),
                                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            Fail("Cannot replace", path);
        }
    } catch (...) {
        file.Reset();
        base::win32::DeleteFileT(SystemPath(tempPath));
        throw;
    }
}

bool Win32Files::FolderExists(const std::wstring& path) { return IsFolderAt(path); }

bool Win32Files::FileExists(const std::wstring& path) { return IsFileAt(path); }

// The system also matches 8.3 short names ("x.bmpx" is "X~1.BMP"); the long name is checked
// again, so that only names that visibly match the pattern are listed.
std::vector<std::wstring> Win32Files::ListFiles(const std::wstring& folder, const std::wstring& patterns) {
    const std::vector<std::wstring> each = SplitPatterns(patterns);
    std::vector<std::wstring> names;
    // One pattern is left to the system to filter by; several are matched in one pass over
    // everything. Either way the match on the long name decides (the system's matches its
    // short name too).
    ForEachEntry(folder, each.size() == 1 ? each[0] : std::wstring(L"*"), [&](const FoundFile& found) {
        if (!IsFolder(found) && WildcardMatchAny(each, found.name)) names.push_back(found.name);
    });
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) { return CompareNoCase(a, b) < 0; });
    return names;
}

std::vector<std::wstring> Win32Files::ListFolders(const std::wstring& folder) {
    std::vector<std::wstring> names;
    ForEachEntry(folder, L"*", [&](const FoundFile& found) {
        if (IsFolder(found)) names.push_back(found.name);
    });
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) { return CompareNoCase(a, b) < 0; });
    return names;
}

}  // namespace tk::win32
