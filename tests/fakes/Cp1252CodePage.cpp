#include "tests/fakes/Cp1252CodePage.h"

namespace fakes {

namespace {

// The code points of bytes 0x80-0x9F; the unassigned ones keep their own value.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool ToByte(wchar_t c, unsigned char& byte) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        byte = static_cast<unsigned char>(c);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (static_cast<wchar_t>(kHigh[i]) == c) {
            byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

}  // namespace

std::string Cp1252CodePage::Narrow(std::wstring_view text, bool* lossy) const {
    if (lossy) *lossy = false;
    std::string narrow;
    narrow.reserve(text.size());
    for (const wchar_t c : text) {
        unsigned char byte = 0;
        if (ToByte(c, byte)) {
            narrow.push_back(static_cast<char>(byte));
        } else {
            narrow.push_back('?');
            if (lossy) *lossy = true;
        }
    }
    return narrow;
}

std::wstring Cp1252CodePage::Widen(std::string_view text) const {
    std::wstring wide;
    wide.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        wide.push_back(byte >= 0x80 && byte < 0xA0 ? static_cast<wchar_t>(kHigh[byte - 0x80]) : static_cast<wchar_t>(byte));
    }
    return wide;
}

}  // namespace fakes
