#include "base/AnsiText.h"

#include <cstring>

namespace base {

namespace {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegMultiSz = 7;

bool IsStringType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// The stored characters without the terminator(s) that end them: one for a string, the closing
// empty string's too for a list.
template <typename Char>
std::basic_string<Char> StoredText(std::basic_string<Char> text, std::uint32_t type) {
    while (!text.empty() && text.back() == Char{0}) text.pop_back();
    if (type != kRegMultiSz) {
        const auto nul = text.find(Char{0});
        if (nul != std::basic_string<Char>::npos) text.resize(nul);
    }
    return text;
}

// The terminators that close `text`: one, or two for a list (none of whose strings is empty).
template <typename Char>
std::basic_string<Char> Terminated(std::basic_string<Char> text, std::uint32_t type) {
    text.push_back(Char{0});
    if (type == kRegMultiSz) text.push_back(Char{0});
    return text;
}

}  // namespace

std::vector<std::uint8_t> RegStringToWide(const CodePage& page, std::uint32_t type,
                                          const std::vector<std::uint8_t>& narrow) {
    if (!IsStringType(type)) return narrow;
    const std::string stored = StoredText(std::string(narrow.begin(), narrow.end()), type);
    const std::wstring wide = Terminated(page.Widen(stored), type);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(wide.size() * 2);
    for (const wchar_t c : wide) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    }
    return bytes;
}

std::vector<std::uint8_t> RegStringToNarrow(const CodePage& page, std::uint32_t type,
                                            const std::vector<std::uint8_t>& wide) {
    if (!IsStringType(type)) return wide;
    std::wstring text;
    for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
        text.push_back(static_cast<wchar_t>(wide[i] | (wide[i + 1] << 8)));
    }
    const std::string narrow = Terminated(page.Narrow(StoredText(text, type)), type);
    return std::vector<std::uint8_t>(narrow.begin(), narrow.end());
}

std::optional<std::wstring> FoundFileName(const CodePage& page, std::string_view longName,
                                          std::string_view shortName) {
    if (longName.find('?') == std::string_view::npos) return page.Widen(longName);
    if (shortName.empty() || shortName.find('?') != std::string_view::npos) return std::nullopt;
    return page.Widen(shortName);
}

}  // namespace base
