#include "base/CaseFold.h"

#include <cstdint>

namespace base {
namespace {

#include "CaseFoldTable.inc"

}  // namespace

wchar_t LowerChar(wchar_t c) {
    const auto code = static_cast<std::uint32_t>(c);
    if (code > 0xFFFF) return c;
    const std::uint16_t offset = kFoldOffset[kFoldPage[code >> 8]][code & 0xFF];
    return static_cast<wchar_t>((code + offset) & 0xFFFF);
}

std::wstring LowerCase(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower) c = LowerChar(c);
    return lower;
}

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && LowerChar(a[i]) != LowerChar(b[i])) return false;
    }
    return true;
}

}  // namespace base
