// Registry values addressed by one full path ("HKEY_CURRENT_USER\Software\Murivale\FolderPath"):
// the root, the key names and the value name, joined by backslashes. Every value is written as a
// string; a read gives the value's text, or the empty text when it is missing or has no single
// text form. No operation reports failure.
//
// The roots are accepted written out in full (HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
// HKEY_CLASSES_ROOT, HKEY_USERS, HKEY_CURRENT_CONFIG) or in the short forms HKCU, HKLM and HKCR,
// in any letter case. A path without a value name (one ending in a backslash, which would address
// a key's default value, or one with no backslash at all) is not used by the programs: a read of
// it gives the empty text and a write or delete does nothing, so a mistyped path never touches a
// key's default value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "services/WinApi.h"

namespace services {

// A value path taken apart. `key` may be empty (a value directly under the root).
struct RegistryPath {
    RegRoot root = RegRoot::CurrentUser;
    std::wstring key;
    std::wstring valueName;
};

// Splits a full value path; std::nullopt for an unknown root or a missing value name.
std::optional<RegistryPath> ParseRegistryPath(const std::wstring& path);

// The root's name written out in full ("HKEY_CURRENT_USER").
std::wstring RegRootName(RegRoot root);

// The text a read gives for stored data: strings as stored (placeholders such as %SystemRoot%
// are not expanded), numbers as signed decimal text (a 32-bit value 0xFFFFFFFF reads as "-1"),
// and the empty text for lists, binary data, no type or data of the wrong size.
std::wstring RegDataToText(const RegData& data);

// Stored forms of values, as the registry holds them (strings UTF-16LE with terminator).
RegData MakeStringData(const std::wstring& text, RegType type = RegType::String);
RegData MakeDwordData(std::uint32_t value);
RegData MakeQwordData(std::uint64_t value);

// The value's text; the empty text when the value is missing or cannot be read.
std::wstring RegReadValue(WinApi& api, const std::wstring& path);

// Stores `value` as a string value, creating missing keys. An empty text stores an empty string.
void RegWriteValue(WinApi& api, const std::wstring& path, const std::wstring& value);

// The Windows headers define RegDeleteValue as a macro for RegDeleteValueW; the declaration below
// is shielded from it. A Windows source file that includes <windows.h> and calls this function
// must `#undef RegDeleteValue` first, otherwise the call is renamed and does not compile.
#pragma push_macro("RegDeleteValue")
#undef RegDeleteValue

// Removes the value; a missing value or key is no error.
void RegDeleteValue(WinApi& api, const std::wstring& path);

#pragma pop_macro("RegDeleteValue")

}  // namespace services
