// The file operations of the headless backend, on the host's file system through the drive
// mappings of HostPaths. The host has no hidden attribute: names starting with a dot count as
// hidden, as they do in host file listings (and as Wine shows them to Windows programs). There
// is no system attribute either.
#include "toolkit/headless/HeadlessParts.h"

#include "toolkit/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <limits>
#include <cstring>
#include <memory>

#include "base/Text.h"
#include "toolkit/headless/HostPaths.h"

namespace tk::headless {

using fs::TemporaryPathFor;
using fs::TemporaryWriterOf;

namespace {

[[noreturn]] void Fail(const std::string& what, const std::wstring& path, int error) {
    throw FileError(what + " \"" + base::ToUtf8(path) + "\": " + std::strerror(error));
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports the result (a delayed write error shows up here).
    int Close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool StatIs(const std::wstring& path, mode_t type) {
    try {
        struct stat info {};
        return ::stat(headless::HostPath(path).c_str(), &info) == 0 && (info.st_mode & S_IFMT) == type;
    } catch (const FileError&) {
        return false;
    }
}

constexpr std::size_t kChunk = std::size_t{1} << 20;

void WriteAll(int fd, const ByteSpan& bytes, const std::wstring& path) {
    std::size_t done = 0;
    while (done < bytes.size) {
        const ssize_t written = ::write(fd, bytes.data + done, std::min(bytes.size - done, kChunk));
        if (written < 0) {
            if (errno == EINTR) continue;
            Fail("Cannot write", path, errno);
        }
        done += static_cast<std::size_t>(written);
    }
}

std::string FolderOf(const std::string& hostPath) {
    const auto slash = hostPath.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : hostPath.substr(0, slash);
}

// Makes the rename itself durable; a failure here does not undo the replacement, so it is ignored.
void SyncFolder(const std::string& folder) {
    const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
}

// One entry of a folder listing: its name and whether it is a folder (links are followed).
template <typename Visit>
void ForEachEntry(const std::wstring& folder, Visit visit) {
    const std::string host = headless::HostPath(folder);
    const DirHandle dir(::opendir(host.c_str()));
    if (!dir) Fail("Cannot list", folder, errno);
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') continue;  // ".", ".." and hidden entries
        struct stat info {};
        if (::stat((host + "/" + name).c_str(), &info) != 0) continue;  // dangling link
        visit(base::FromUtf8(name), S_ISDIR(info.st_mode), S_ISREG(info.st_mode));
    }
}

void SortNoCase(std::vector<std::wstring>& names) {
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return CompareNoCase(a, b) < 0; });
}

}  // namespace

std::vector<std::uint8_t> HeadlessFiles::ReadFile(const std::wstring& path) {
    const FileDescriptor file(::open(headless::HostPath(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) Fail("Cannot open", path, errno);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) Fail("Cannot read", path, errno);
    if (!S_ISREG(info.st_mode)) Fail("Cannot read", path, EISDIR);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    std::uint8_t buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            Fail("Cannot read", path, errno);
        }
        if (got == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

namespace {

// Whether process `id` may still be writing. The host has no sharing modes that would keep an
// open file from being deleted, so the process's existence alone decides.
bool WriterMayRun(std::uint32_t id) {
    if (id == static_cast<std::uint32_t>(::getpid())) return false;  // one write at a time here
    if (id == 0 || id > static_cast<std::uint32_t>(std::numeric_limits<pid_t>::max())) return false;
    return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

void RemoveLeftTemporaries(const std::string& folder, const std::string& target) {
    const std::wstring fileName = base::FromUtf8(target.substr(target.rfind('/') + 1));
    const DirHandle dir(::opendir(folder.c_str()));
    if (!dir) return;
    std::vector<std::string> left;
    while (const dirent* entry = ::readdir(dir.get())) {
        const auto writer = TemporaryWriterOf(fileName, base::FromUtf8(entry->d_name));
        if (writer && !WriterMayRun(*writer)) left.emplace_back(entry->d_name);
    }
    for (const std::string& name : left) ::unlink((folder + "/" + name).c_str());
}

}  // namespace

void HeadlessFiles::WriteFileAtomic(const std::wstring& path, const std::vector<ByteSpan>& parts) {
    static std::uint32_t serial = 0;
    const std::string target = headless::HostPath(path);
    const std::string folder = FolderOf(target);
    RemoveLeftTemporaries(folder, target);
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = headless::HostPath(TemporaryPathFor(path, static_cast<std::uint32_t>(::getpid()), ++serial));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) break;
    }
    FileDescriptor file(fd);
    if (file.get() < 0) Fail("Cannot create a file beside", path, errno);
    try {
        for (const ByteSpan& part : parts) WriteAll(file.get(), part, path);
        if (::fsync(file.get()) != 0) Fail("Cannot write", path, errno);
        if (file.Close() != 0) Fail("Cannot write", path, errno);
        if (::rename(temp.c_str(), target.c_str()) != 0) Fail("Cannot replace", path, errno);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
    SyncFolder(folder);
}

bool HeadlessFiles::FolderExists(const std::wstring& path) { return StatIs(path, S_IFDIR); }

bool HeadlessFiles::FileExists(const std::wstring& path) { return StatIs(path, S_IFREG); }

std::vector<std::wstring> HeadlessFiles::ListFiles(const std::wstring& folder, const std::wstring& patterns) {
    const std::vector<std::wstring> each = SplitPatterns(patterns);
    std::vector<std::wstring> names;
    ForEachEntry(folder, [&](std::wstring name, bool /*isFolder*/, bool isFile) {
        if (isFile && WildcardMatchAny(each, name)) names.push_back(std::move(name));
    });
    SortNoCase(names);
    return names;
}

std::vector<std::wstring> HeadlessFiles::ListFolders(const std::wstring& folder) {
    std::vector<std::wstring> names;
    ForEachEntry(folder, [&](std::wstring name, bool isFolder, bool /*isFile*/) {
        if (isFolder) names.push_back(std::move(name));
    });
    SortNoCase(names);
    return names;
}

}  // namespace tk::headless
