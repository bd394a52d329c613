// Classification of the running Windows into the family texts both programs compare against.
#pragma once

#include <string>

#include "services/WinApi.h"

namespace services {

// Family texts. Callers compare the result of GetOSType with these, letter for letter.
inline constexpr wchar_t kOsWindows3x[] = L"Windows 3.x";
inline constexpr wchar_t kOsWin9x[] = L"Win9x";
inline constexpr wchar_t kOsNt3[] = L"Windows NT 3";
inline constexpr wchar_t kOsNt31[] = L"Windows NT 3.1";
inline constexpr wchar_t kOsNt35[] = L"Windows NT 3.5";
inline constexpr wchar_t kOsNt351[] = L"Windows NT 3.51";
inline constexpr wchar_t kOsNt4[] = L"Windows NT 4";
inline constexpr wchar_t kOsWin2k[] = L"Win2k";
inline constexpr wchar_t kOsEnterpriseServer[] = L"Windows .NET Enterprise Server";
inline constexpr wchar_t kOsServer[] = L"Windows .NET Server";

// The family text for a version record, or the empty text when the query failed (any result
// other than exactly 1) or the version is not one the programs know.
std::wstring ClassifyOS(int callResult, const OsVersionInfoEx& info);

// Queries the version with the extended record (156 bytes), or with the plain one (148 bytes)
// where the system refuses that, and classifies the answer.
std::wstring GetOSType(WinApi& api);

// Whether the system is of the Windows 95/98/Me family (or older). Unlike GetOSType this knows
// every NT release, 2000 to 11, as NT, whatever release number it reports: it asks with the
// extended record and, where a system refuses that, with the plain one (148 bytes). When both
// queries fail the system is taken for NT, the only family that still runs the programs.
bool IsWindows9xFamily(WinApi& api);

}  // namespace services
