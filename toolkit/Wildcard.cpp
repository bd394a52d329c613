// Matching file names against one wildcard pattern, letter case ignored, and the case-blind
// order of names.
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

#include "common/Text.h"
#include "toolkit/FileSystem.h"

namespace tk {

namespace {

bool InRange(unsigned c, unsigned first, unsigned last) { return c >= first && c <= last; }

// Latin Extended-A pairs an upper-case letter with the lower-case one after it, starting on an
// even code point in most of the block and on an odd one in two stretches.
unsigned FoldLatinExtendedA(unsigned c) {
    if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;  // no simple pair
    if (c == 0x130) return c;
    const bool oddStart = InRange(c, 0x139, 0x148) || InRange(c, 0x179, 0x17E);
    const bool isLower = oddStart ? (c % 2 == 0) : (c % 2 == 1);
    return isLower ? c - 1 : c;
}

unsigned FoldCode(unsigned c) {
    if (InRange(c, 'a', 'z')) return c - 0x20;
    if (c < 0x80) return c;
    if (InRange(c, 0xE0, 0xFE) && c != 0xF7) return c - 0x20;  // Latin-1 small letters
    if (c == 0xFF) return 0x178;
    if (InRange(c, 0x100, 0x17F)) return FoldLatinExtendedA(c);
    if (InRange(c, 0x3B1, 0x3C9) && c != 0x3C2) return c - 0x20;  // Greek small letters
    if (c == 0x3C2) return 0x3A3;                                  // final sigma
    if (InRange(c, 0x430, 0x44F)) return c - 0x20;                 // Cyrillic
    if (InRange(c, 0x450, 0x45F)) return c - 0x50;
    if (InRange(c, 0xFF41, 0xFF5A)) return c - 0x20;               // full-width Latin
    return c;
}

bool SameLetter(wchar_t a, wchar_t b) { return a == b || FoldCase(a) == FoldCase(b); }

// Greedy matching with one point of return for the last star: linear in practice and never
// exponential, however many stars the pattern holds.
bool Match(std::wstring_view pattern, std::wstring_view name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::wstring_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == L'?' || SameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::wstring_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

}  // namespace

wchar_t FoldCase(wchar_t c) {
    const unsigned code = static_cast<unsigned>(static_cast<std::make_unsigned_t<wchar_t>>(c));
    return static_cast<wchar_t>(FoldCode(code));
}

// A pattern with a dot is matched in two parts, as the system matches file names: the part
// before its last dot against the name before the name's last dot, and the part after against
// the name's extension (empty when the name has no dot). So "*.jp*g" matches "x.png.jpg" but not
// "x.jpg.png", and "*.*" or "photo.*" match "photo". A pattern without a dot is matched against
// the whole name.
bool WildcardMatch(const std::wstring& pattern, const std::wstring& name) {
    const std::size_t patternDot = pattern.rfind(L'.');
    if (patternDot == std::wstring::npos) return Match(pattern, name);
    const std::wstring_view p(pattern);
    const std::wstring_view n(name);
    const std::size_t nameDot = name.rfind(L'.');
    const std::wstring_view base = nameDot == std::wstring::npos ? n : n.substr(0, nameDot);
    const std::wstring_view extension = nameDot == std::wstring::npos ? std::wstring_view() : n.substr(nameDot + 1);
    return Match(p.substr(0, patternDot), base) && Match(p.substr(patternDot + 1), extension);
}

int CompareNoCase(const std::wstring& a, const std::wstring& b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        const wchar_t fa = FoldCase(a[i]);
        const wchar_t fb = FoldCase(b[i]);
        if (fa != fb) return common::CompareUtf16(std::wstring(1, fa), std::wstring(1, fb));
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return common::CompareUtf16(a, b);
}

}  // namespace tk
