// Lower-casing that is the same on every system: one table, not the C library's locale, so that
// an order built on it never depends on where the program runs.
#pragma once

#include <string>
#include <string_view>

namespace common {

// The lower-case form of one UTF-16 code unit (or one UTF-32 character on Linux): ASCII,
// Latin-1, Latin Extended-A and -B pairs, Greek, Cyrillic, Armenian, Georgian capitals, Latin
// Extended Additional, Greek Extended basics, Roman numerals, circled letters and full-width
// letters. Anything else, surrogates included, is returned unchanged.
wchar_t LowerChar(wchar_t c);

// Every character lower-cased with LowerChar; the length never changes.
std::wstring LowerCase(std::wstring_view text);

}  // namespace common
