// Windows paths in the headless backend: each drive letter is mapped onto a folder of the host,
// so "C:\Pics\a.jpg" with C: mapped onto "/tmp/c" names "/tmp/c/Pics/a.jpg".
#pragma once

#include <string>

namespace tk::headless {

// Maps `drive` (a letter, either case) onto `hostFolder`, replacing any earlier mapping.
void MapDrive(wchar_t drive, std::string hostFolder);
void ClearDriveMappings();

// The host path (UTF-8) of a Windows path "X:\..." or "X:/...". "." and ".." are resolved as
// Windows resolves them, never above the drive's root. Throws FileError for a path that is not
// a full path with a drive letter, and for a drive that is not mapped.
std::string HostPath(const std::wstring& windowsPath);

}  // namespace tk::headless
