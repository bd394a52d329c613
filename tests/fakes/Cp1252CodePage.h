// The Western European code page (Windows-1252) on any host, for tests of the 8-bit text rules
// (base/AnsiText.h) without the system's conversion functions. Bytes 0x00-0x7F and 0xA0-0xFF are
// the same code points; 0x80-0x9F hold the euro sign, typographic quotes and a few letters, and
// the five bytes the page leaves unassigned stand for the control code of the same value, as
// the system's conversion treats them. Any other character becomes '?' when narrowed.
#pragma once

#include "base/AnsiText.h"

namespace fakes {

class Cp1252CodePage final : public base::CodePage {
public:
    std::string Narrow(std::wstring_view text, bool* lossy = nullptr) const override;
    std::wstring Widen(std::string_view text) const override;
};

}  // namespace fakes
