// The programs' one way of ignoring letter case: the lower-casing the system applies to UTF-16
// text, from a table generated out of the Unicode data (tools/gen-casefold.py), not the C
// library's locale, so that an order or a match built on it never depends on where the program
// runs. Names that differ only in case compare equal after LowerCase, and sort as the system's
// lower-casing makes them sort.
#pragma once

#include <string>
#include <string_view>

namespace base {

// The lower-case form of one UTF-16 code unit, as the system lower-cases it. A character beyond
// the basic plane (one wchar_t on Linux, a surrogate pair on Windows) is returned unchanged, as
// the system leaves it.
wchar_t LowerChar(wchar_t c);

// Every character lower-cased with LowerChar; the length never changes.
std::wstring LowerCase(std::wstring_view text);

// True when the two texts are equal once lower-cased.
bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b);

}  // namespace base
