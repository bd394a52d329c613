#include "base/CaseFold.h"

#include <cstdint>

namespace base {
namespace {

#include "CaseFoldTable.inc"

}  // namespace

wchar_t LowerChar(wchar_t c) {
    const auto code = static_cast<std::uint32_t>(c);
    if (code > 0xFFFF) return c;
    constexpr std::uint32_t kLeafMask = (1u << kFoldLeafBits) - 1;
    const std::uint8_t mid = kFoldPage[code >> 8];
    const std::uint8_t leaf = kFoldMid[mid][(code & 0xFF) >> kFoldLeafBits];
    const std::uint16_t offset = kFoldLeaf[leaf][code & kLeafMask];
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
