// The program's identity as the system sees it: its folder, title and command line, whether
// another copy runs, and finding another copy's window by its title.
#pragma once

#include <string>

namespace tk::win32 {

// The folder of a program file's full path: no trailing backslash, except at a drive root
// ("C:\x.exe" gives "C:\"). A path without any backslash gives the empty text.
std::wstring FolderOfPath(const std::wstring& programPath);

// The file name of a path without its extension ("C:\Apps\Murivale.exe" gives "Murivale").
std::wstring TitleOfPath(const std::wstring& programPath);

// What follows the program's own name on a command line: the first token is skipped as the
// system parses it (a quoted name ends at the closing quote, a bare one at the first blank),
// then the blanks after it. The rest is kept as it is.
std::wstring CommandTail(const std::wstring& commandLine);

// The program file's full path, of any length.
std::wstring ModulePath();

// Whether another process holds the instance mutex of `title`. The first call creates the
// mutex, which this process then holds until it ends; later calls give the same answer.
bool AnotherInstanceRuns(const std::wstring& title);

// Restores and brings to the front a visible top-level window of another process whose title
// is exactly `title`. False when there is none.
bool ActivateOtherWindow(const std::wstring& title);

}  // namespace tk::win32
