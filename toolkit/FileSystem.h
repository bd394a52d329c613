// The file operations the toolkit needs, implemented by each backend. Paths are Windows paths
// ("C:\Pics\a.jpg"); the headless backend maps drives onto folders of the host.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tk {

// Thrown when a file or folder cannot be read, written or listed. The message names the path.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A run of bytes held by someone else.
struct ByteSpan {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

namespace fs {

// Throws FileError. A missing file whose replacement was cut off between its two steps (see
// WriteFileAtomic) is first put back in its place, so that it reads as it was.
std::vector<std::uint8_t> ReadFile(const std::wstring& path);
// Writes `bytes` to a temporary file beside `path`, then replaces `path` with it: in one step
// where the system can; on Windows 95, 98 and Me by moving the old file aside, the new one in,
// and deleting the old one (the old one goes back on a failure). Either way `path` is never
// half-written, and a whole file has its name or lies beside it at every moment.
// First it removes what earlier writes of `path` left behind when their process was ended in
// the middle (a forced log-off, a power cut): the temporary files of `path` (named as
// TemporaryPathFor gives) whose writing process no longer runs and that nobody holds open, and
// (on Windows, which replaces in two steps where it must) the replaced files that such writes
// set aside (SetAsidePathFor): one of them takes the name again when `path` is missing, the
// others are deleted. What a process that still runs wrote is left alone, and so is every
// other file.
void WriteFileAtomic(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
// As WriteFileAtomic, for a file made of `parts` one after the other. Each part is written from
// where it lies, in chunks of bounded size: no copy of the whole file is made.
void WritePartsAtomic(const std::wstring& path, const std::vector<ByteSpan>& parts);

// The temporary file that WriteFileAtomic writes before it takes the place of `path`:
// "<path>.<process id>-<serial>.tmp".
std::wstring TemporaryPathFor(const std::wstring& path, std::uint32_t processId,
                              std::uint32_t serial);
// When `candidate` (a bare file name) is the name TemporaryPathFor gives for a file named
// `fileName` (also bare; letter case ignored, as file names are), the id of the process that
// wrote it; otherwise nothing.
std::optional<std::uint32_t> TemporaryWriterOf(const std::wstring& fileName,
                                               const std::wstring& candidate);
// Where a replacement that cannot be made in one step (Windows 95, 98 and Me have no call that
// replaces a file) keeps the file it replaces until the new one has its name:
// "<path>.<process id>-<serial>.old.tmp", the serial that of the write's temporary file. Should
// the write be cut off while the name is free, the next write of `path` puts this file back.
std::wstring SetAsidePathFor(const std::wstring& path, std::uint32_t processId,
                             std::uint32_t serial);
// As TemporaryWriterOf, for the names SetAsidePathFor gives (which it does not recognise).
std::optional<std::uint32_t> SetAsideWriterOf(const std::wstring& fileName,
                                              const std::wstring& candidate);
bool FolderExists(const std::wstring& path);
bool FileExists(const std::wstring& path);

// Names of the files directly in `folder` that match `patterns`: one wildcard pattern such as
// "*.jp*g", or several separated by semicolons ("*.jp*g;*.gif"), matched as the system matches
// wildcards, letter case ignored. The folder is read once, whatever the number of patterns;
// each name is listed once, in CompareNoCase order. Folders, hidden and system files are left
// out. Throws FileError when the folder cannot be listed.
std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& patterns);

// Names of the folders directly in `folder`, hidden and system ones left out, sorted without
// regard to letter case. Throws FileError when the folder cannot be listed.
std::vector<std::wstring> ListFolders(const std::wstring& folder);

}  // namespace fs

// Matches `name` against one wildcard pattern: "*" any run, "?" any one character, letter case
// ignored (base::LowerChar). A pattern with a dot matches its extension part against the
// name's extension (after the name's last dot) and the rest against the rest, so "*.jp*g" does
// not match "x.jpg.png".
// A pattern ending in ".*" therefore also matches a name without an extension, as the system does.
bool WildcardMatch(const std::wstring& pattern, const std::wstring& name);

// The patterns of a semicolon-separated list ("*.jp*g;*.gif"), empty ones left out.
std::vector<std::wstring> SplitPatterns(const std::wstring& patterns);
// True when `name` matches one of `patterns` (WildcardMatch).
bool WildcardMatchAny(const std::vector<std::wstring>& patterns, const std::wstring& name);

// Orders names without regard to letter case (by base::LowerChar, then by UTF-16 code unit
// order of the lower-cased names); names differing only in case are then ordered exactly.
int CompareNoCase(const std::wstring& a, const std::wstring& b);

}  // namespace tk
