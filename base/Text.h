// Text helpers shared by both programs. Texts are wide strings (UTF-16 on Windows, UTF-32 on
// Linux); where an order or a length depends on UTF-16 code units, these helpers say so.
#pragma once

#include <string>
#include <string_view>

namespace base {

using Text = std::wstring;

// UTF-8 <-> wide, for file names on Linux and for messages. Invalid input becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);
Text FromUtf8(std::string_view utf8);

// Every occurrence of `from` replaced by `to`, matched exactly (letter case included), scanning
// left to right and never re-scanning replaced text.
Text ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to);

bool StartsWith(std::wstring_view text, std::wstring_view prefix);  // exact, case included
bool EndsWith(std::wstring_view text, std::wstring_view suffix);    // exact, case included

// Leading and trailing U+0020 removed; no other white space.
Text TrimSpaces(std::wstring_view text);

// The text before the first NUL (all of it when there is none).
Text BeforeFirstNul(std::wstring_view text);

// The text as UTF-16 code units (a character beyond the basic plane as its surrogate pair).
std::u16string Utf16Units(std::wstring_view text);

// Ordinal comparison by UTF-16 code units: <0, 0, >0.
int CompareUtf16(std::wstring_view a, std::wstring_view b);

// Decimal text of a whole number.
Text DecimalText(long long value);

// The shortest plain decimal text (digits, at most one point, never an exponent) that reads
// back as exactly `value`: 800 gives "800", 1366.5 gives "1366.5".
Text ShortestDecimalText(float value);

}  // namespace base
