// The file operations of FileSystem.h, done by the platform installed now.
#include "toolkit/FileSystem.h"

#include "toolkit/Platform.h"

namespace tk::fs {
namespace {

Files& Installed() { return CurrentPlatform().files; }

}  // namespace

std::vector<std::uint8_t> ReadFile(const std::wstring& path) { return Installed().ReadFile(path); }

void WriteFileAtomic(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    Installed().WriteFileAtomic(path, {ByteSpan{bytes.data(), bytes.size()}});
}

void WritePartsAtomic(const std::wstring& path, const std::vector<ByteSpan>& parts) {
    Installed().WriteFileAtomic(path, parts);
}

bool FolderExists(const std::wstring& path) { return Installed().FolderExists(path); }

bool FileExists(const std::wstring& path) { return Installed().FileExists(path); }

std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& patterns) {
    return Installed().ListFiles(folder, patterns);
}

std::vector<std::wstring> ListFolders(const std::wstring& folder) {
    return Installed().ListFolders(folder);
}

}  // namespace tk::fs
