#include "common/CaseFold.h"

#include <cstdint>

namespace common {
namespace {

// A run of capitals mapped by a fixed offset; `step` 2 for alternating upper/lower pairs.
struct Range {
    std::uint32_t first, last;
    std::int32_t offset;
    std::uint32_t step;
};

constexpr Range kRanges[] = {
    {0x0041, 0x005A, 32, 1},     // A-Z
    {0x00C0, 0x00D6, 32, 1},     // Latin-1 capitals (before the multiplication sign)
    {0x00D8, 0x00DE, 32, 1},
    {0x0100, 0x012E, 1, 2},      // Latin Extended-A pairs
    {0x0132, 0x0136, 1, 2},
    {0x0139, 0x0147, 1, 2},
    {0x014A, 0x0176, 1, 2},
    {0x0178, 0x0178, -121, 1},   // Y with diaeresis -> U+00FF
    {0x0179, 0x017D, 1, 2},
    {0x0181, 0x0181, 210, 1},
    {0x0182, 0x0184, 1, 2},
    {0x0186, 0x0186, 206, 1},
    {0x0187, 0x0187, 1, 1},
    {0x018B, 0x018B, 1, 1},
    {0x0191, 0x0191, 1, 1},
    {0x0198, 0x0198, 1, 1},
    {0x01A0, 0x01A4, 1, 2},
    {0x01A7, 0x01A7, 1, 1},
    {0x01AC, 0x01AC, 1, 1},
    {0x01AF, 0x01AF, 1, 1},
    {0x01B3, 0x01B5, 1, 2},
    {0x01B8, 0x01B8, 1, 1},
    {0x01BC, 0x01BC, 1, 1},
    {0x01CD, 0x01DB, 1, 2},
    {0x01DE, 0x01EE, 1, 2},
    {0x01F4, 0x01F4, 1, 1},
    {0x01F8, 0x021E, 1, 2},
    {0x0222, 0x0232, 1, 2},
    {0x0386, 0x0386, 38, 1},     // Greek
    {0x0388, 0x038A, 37, 1},
    {0x038C, 0x038C, 64, 1},
    {0x038E, 0x038F, 63, 1},
    {0x0391, 0x03A1, 32, 1},
    {0x03A3, 0x03AB, 32, 1},
    {0x03D8, 0x03EE, 1, 2},
    {0x0400, 0x040F, 80, 1},     // Cyrillic
    {0x0410, 0x042F, 32, 1},
    {0x0460, 0x0480, 1, 2},
    {0x048A, 0x04BE, 1, 2},
    {0x04C1, 0x04CD, 1, 2},
    {0x04D0, 0x052E, 1, 2},
    {0x0531, 0x0556, 48, 1},     // Armenian
    {0x10A0, 0x10C5, 7264, 1},   // Georgian capitals -> U+2D00
    {0x1E00, 0x1E94, 1, 2},      // Latin Extended Additional
    {0x1EA0, 0x1EFE, 1, 2},
    {0x1F08, 0x1F0F, -8, 1},     // Greek Extended, the plain runs
    {0x1F18, 0x1F1D, -8, 1},
    {0x1F28, 0x1F2F, -8, 1},
    {0x1F38, 0x1F3F, -8, 1},
    {0x1F48, 0x1F4D, -8, 1},
    {0x1F68, 0x1F6F, -8, 1},
    {0x2160, 0x216F, 16, 1},     // Roman numerals
    {0x24B6, 0x24CF, 26, 1},     // circled letters
    {0x2C00, 0x2C2E, 48, 1},     // Glagolitic
    {0xFF21, 0xFF3A, 32, 1},     // full-width A-Z
};

}  // namespace

wchar_t LowerChar(wchar_t c) {
    const auto code = static_cast<std::uint32_t>(c);
    for (const Range& range : kRanges) {
        if (code < range.first) break;  // the table is in ascending order
        if (code <= range.last && (code - range.first) % range.step == 0) {
            return static_cast<wchar_t>(static_cast<std::int64_t>(code) + range.offset);
        }
    }
    return c;
}

std::wstring LowerCase(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower) c = LowerChar(c);
    return lower;
}

}  // namespace common
