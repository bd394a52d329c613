// Text helpers. Wide strings hold UTF-16 on Windows and UTF-32 on Linux; the conversions below
// work on code points so that both widths give the same results.
#include "base/Text.h"

#include <cmath>
#include <cstdint>
#include <system_error>
#include <type_traits>

namespace base {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
bool IsSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

char32_t UnitValue(wchar_t unit) {
    return static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(unit));
}

// Reads one code point of a wide text at `pos` and advances past it. An unpaired surrogate or a
// value outside the Unicode range reads as U+FFFD.
char32_t NextCodePoint(std::wstring_view text, std::size_t& pos) {
    const auto unit = UnitValue(text[pos++]);
    if (kWideIsUtf16 && IsHighSurrogate(unit) && pos < text.size()) {
        const auto next = UnitValue(text[pos]);
        if (IsLowSurrogate(next)) {
            ++pos;
            return 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
        }
    }
    if (IsSurrogate(unit) || unit > 0x10FFFF) {
        return kReplacement;
    }
    return unit;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendWide(Text& out, char32_t cp) {
    if (kWideIsUtf16 && cp >= 0x10000) {
        out += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
        out += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
        out += static_cast<wchar_t>(cp);
    }
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes one UTF-8 sequence at `pos` and advances past it. Overlong forms, surrogates, values
// above U+10FFFF and truncated sequences read as one U+FFFD per offending lead byte.
char32_t NextUtf8(std::string_view utf8, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(utf8[pos++]);
    if (lead < 0x80) {
        return lead;
    }
    int extra = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        return kReplacement;
    }
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};  // by count of extra bytes
    const char32_t minimum = kSmallest[extra];
    std::size_t next = pos;
    for (int i = 0; i < extra; ++i, ++next) {
        if (next >= utf8.size() || !IsContinuation(static_cast<unsigned char>(utf8[next]))) {
            return kReplacement;  // resume at the byte that broke the sequence
        }
        cp = (cp << 6) | (static_cast<unsigned char>(utf8[next]) & 0x3F);
    }
    pos = next;
    if (cp < minimum || cp > 0x10FFFF || IsSurrogate(cp)) {
        return kReplacement;
    }
    return cp;
}

// The text as UTF-16 code units, whatever the width of wchar_t.
std::u16string ToUtf16Units(std::wstring_view text) {
    std::u16string units;
    units.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        if (kWideIsUtf16) {
            units += static_cast<char16_t>(text[pos++]);
            continue;
        }
        const char32_t cp = NextCodePoint(text, pos);
        if (cp >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(cp);
        }
    }
    return units;
}

}  // namespace

std::string ToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        AppendUtf8(out, NextCodePoint(text, pos));
    }
    return out;
}

Text FromUtf8(std::string_view utf8) {
    Text out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        AppendWide(out, NextUtf8(utf8, pos));
    }
    return out;
}

Text ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to) {
    if (from.empty()) {
        return Text(text);  // nothing to look for
    }
    Text out;
    std::size_t start = 0;
    for (std::size_t hit = text.find(from); hit != std::wstring_view::npos;
         hit = text.find(from, start)) {
        out.append(text.substr(start, hit - start));
        out.append(to);
        start = hit + from.size();
    }
    out.append(text.substr(start));
    return out;
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::wstring_view text, std::wstring_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

Text TrimSpaces(std::wstring_view text) {
    const std::size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) {
        return Text();
    }
    const std::size_t last = text.find_last_not_of(L' ');
    return Text(text.substr(first, last - first + 1));
}

Text BeforeFirstNul(std::wstring_view text) {
    return Text(text.substr(0, text.find(L'\0')));
}

int CompareUtf16(std::wstring_view a, std::wstring_view b) {
    if (kWideIsUtf16) {
        const int order = a.compare(b);  // char_traits<wchar_t> compares 16-bit units unsigned
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    const int order = ToUtf16Units(a).compare(ToUtf16Units(b));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// Digits by hand: the C runtime's formatted printing would bring a whole printf into each
// program for this alone.
Text DecimalText(long long value) {
    wchar_t digits[24];
    wchar_t* first = digits + 24;
    // Negated digit by digit in unsigned arithmetic, so the most negative value has no overflow.
    unsigned long long rest = value < 0 ? 0ull - static_cast<unsigned long long>(value)
                                        : static_cast<unsigned long long>(value);
    do {
        *--first = static_cast<wchar_t>(L'0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (value < 0) *--first = L'-';
    return Text(first, digits + 24);
}

// The fewest significant digits (1 to 9) that read back as the same single-precision value,
// written out in plain decimal notation. By hand, in extended precision: the C++ runtime's own
// shortest conversion brings tables of a sixth of a megabyte into each program.
Text ShortestDecimalText(float value) {
    if (!std::isfinite(value)) return Text();
    if (value == 0.0f) return L"0";
    const long double magnitude = std::fabs(static_cast<long double>(value));
    const int leading = static_cast<int>(std::floor(std::log10(magnitude)));
    long long digits = 0;
    int exponent = 0;  // the value is digits x 10^exponent
    for (int precision = 1; precision <= 9; ++precision) {
        exponent = leading - precision + 1;
        const long double scale = std::pow(10.0L, static_cast<long double>(exponent));
        digits = std::llround(magnitude / scale);
        if (static_cast<float>(static_cast<long double>(digits) * scale) == std::fabs(value)) break;
    }
    Text text = DecimalText(digits);
    if (exponent >= 0) {
        text.append(static_cast<std::size_t>(exponent), L'0');
    } else {
        const std::size_t fraction = static_cast<std::size_t>(-exponent);
        if (text.size() <= fraction) text.insert(0, fraction - text.size() + 1, L'0');
        text.insert(text.size() - fraction, 1, L'.');
        while (text.back() == L'0') text.pop_back();
        if (text.back() == L'.') text.pop_back();
    }
    return value < 0 ? L"-" + text : text;
}

std::u16string Utf16Units(std::wstring_view text) { return ToUtf16Units(text); }

}  // namespace base
