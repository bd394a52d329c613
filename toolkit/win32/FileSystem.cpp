// The file operations on Windows. Paths too long for the classic limit are handed to the
// system in their "\\?\" form, after being made full and normal (that form is taken literally).
#include "toolkit/win32/Win32Parts.h"

#include "toolkit/FileSystem.h"

#include <windows.h>

#include <algorithm>

#include "base/Text.h"
#include "base/win32/Handles.h"

namespace tk::win32 {

using fs::TemporaryPathFor;
using fs::TemporaryWriterOf;

namespace {

using base::win32::UniqueFile;
using base::win32::UniqueFind;

constexpr std::size_t kRoomForNames = 14;  // a folder path must leave room for an 8.3 name
constexpr DWORD kChunk = 1u << 20;

std::string SystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length != 0 ? std::wstring(text, length) : L"error " + base::DecimalText(error);
    if (text != nullptr) ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
        message.pop_back();
    }
    return base::ToUtf8(message);
}

[[noreturn]] void Fail(const char* what, const std::wstring& path, DWORD error = ::GetLastError()) {
    throw FileError(std::string(what) + " \"" + base::ToUtf8(path) + "\": " + SystemMessage(error));
}

// The form of `path` to hand to the system.
std::wstring SystemPath(const std::wstring& path) {
    if (path.size() + kRoomForNames < MAX_PATH || path.rfind(L"\\\\?\\", 0) == 0) return path;
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD written = ::GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (written == 0 || written >= needed) return path;
    full.resize(written);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

DWORD Attributes(const std::wstring& path) { return ::GetFileAttributesW(SystemPath(path).c_str()); }

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

bool Listed(const WIN32_FIND_DATAW& data) {
    if ((data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) return false;
    const std::wstring name = data.cFileName;
    return name != L"." && name != L"..";
}

bool IsFolder(const WIN32_FIND_DATAW& data) { return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// Every visible entry that the system finds for folder\pattern.
template <typename Visit>
void ForEachEntry(const std::wstring& folder, const std::wstring& pattern, Visit visit) {
    WIN32_FIND_DATAW data{};
    UniqueFind find(::FindFirstFileExW(SystemPath(Join(folder, pattern)).c_str(), FindExInfoStandard, &data,
                                       FindExSearchNameMatch, nullptr, 0));
    if (!find) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND && IsFolderAt(folder)) return;  // nothing matches
        Fail("Cannot list", folder, error);
    }
    do {
        if (Listed(data)) visit(data);
    } while (::FindNextFileW(find.Get(), &data));
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

// A new, uniquely named file beside `path`.
UniqueFile CreateTemporaryBeside(const std::wstring& path, std::wstring& tempPath) {
    static LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = TemporaryPathFor(path, ::GetCurrentProcessId(),
                                    static_cast<std::uint32_t>(::InterlockedIncrement(&counter)));
        UniqueFile file(::CreateFileW(SystemPath(tempPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
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
// only inherited the number of the writer, which has ended.
bool WriterMayRun(DWORD processId, const FILETIME& made) {
    if (processId == ::GetCurrentProcessId()) return false;  // this process writes one at a time
    base::win32::UniqueKernelHandle process(
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED;
    if (::WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT) return false;  // it has ended
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process.Get(), &created, &exited, &kernel, &user)) return true;
    return FileTimeValue(created) <= FileTimeValue(made);
}

// Deletes the temporary files that interrupted writes of `path` left beside it. A file that
// its writer still holds open cannot be deleted (it is written without sharing) and stays.
void RemoveLeftTemporaries(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    const std::wstring fileName = slash == std::wstring::npos ? path : path.substr(slash + 1);
    WIN32_FIND_DATAW data{};
    UniqueFind find(::FindFirstFileExW(SystemPath(path + L".*.tmp").c_str(), FindExInfoStandard, &data,
                                       FindExSearchNameMatch, nullptr, 0));
    if (!find) return;
    do {
        if (IsFolder(data)) continue;
        const auto writer = TemporaryWriterOf(fileName, data.cFileName);
        if (!writer || WriterMayRun(*writer, data.ftCreationTime)) continue;
        ::DeleteFileW(SystemPath(folder + data.cFileName).c_str());
    } while (::FindNextFileW(find.Get(), &data));
}

}  // namespace

std::vector<std::uint8_t> Win32Files::ReadFile(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
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
    UniqueFile file = CreateTemporaryBeside(path, tempPath);
    try {
        for (const ByteSpan& part : parts) WriteAll(file.Get(), part, path);
        if (!::FlushFileBuffers(file.Get())) Fail("Cannot write", path);
        file.Reset();
        if (!::MoveFileExW(SystemPath(tempPath).c_str(), SystemPath(path).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            Fail("Cannot replace", path);
        }
    } catch (...) {
        file.Reset();
        ::DeleteFileW(SystemPath(tempPath).c_str());
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
    ForEachEntry(folder, each.size() == 1 ? each[0] : std::wstring(L"*"), [&](const WIN32_FIND_DATAW& data) {
        if (!IsFolder(data) && WildcardMatchAny(each, data.cFileName)) names.emplace_back(data.cFileName);
    });
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) { return CompareNoCase(a, b) < 0; });
    return names;
}

std::vector<std::wstring> Win32Files::ListFolders(const std::wstring& folder) {
    std::vector<std::wstring> names;
    ForEachEntry(folder, L"*", [&](const WIN32_FIND_DATAW& data) {
        if (IsFolder(data)) names.emplace_back(data.cFileName);
    });
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) { return CompareNoCase(a, b) < 0; });
    return names;
}

}  // namespace tk::win32
