// Matching file names against wildcard patterns, letter case ignored, and the case-blind order
// of names.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/CaseFold.h"
#include "base/Text.h"
#include "toolkit/FileSystem.h"

namespace tk {

namespace {

bool SameLetter(wchar_t a, wchar_t b) { return a == b || base::LowerChar(a) == base::LowerChar(b); }

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

std::vector<std::wstring> SplitPatterns(const std::wstring& patterns) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    while (start <= patterns.size()) {
        const std::size_t end = std::min(patterns.find(L';', start), patterns.size());
        if (end > start) parts.push_back(patterns.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool WildcardMatchAny(const std::vector<std::wstring>& patterns, const std::wstring& name) {
    for (const std::wstring& pattern : patterns) {
        if (WildcardMatch(pattern, name)) return true;
    }
    return false;
}

int CompareNoCase(const std::wstring& a, const std::wstring& b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        const wchar_t fa = base::LowerChar(a[i]);
        const wchar_t fb = base::LowerChar(b[i]);
        if (fa != fb) return base::CompareUtf16(std::wstring(1, fa), std::wstring(1, fb));
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return base::CompareUtf16(a, b);
}

}  // namespace tk
