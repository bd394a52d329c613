// Registry access by full value path, over the WinApi registry calls. The conversion of stored
// data to text lives here rather than in the Windows implementation so that it is the same for
// the real registry and the in-memory one of the tests.
#include "services/Registry.h"


#include "base/Text.h"

namespace services {

namespace {

struct RootName {
    const wchar_t* name;
    RegRoot root;
};

constexpr RootName kRootNames[] = {
    {L"HKEY_CURRENT_USER", RegRoot::CurrentUser},
    {L"HKCU", RegRoot::CurrentUser},
    {L"HKEY_LOCAL_MACHINE", RegRoot::LocalMachine},
    {L"HKLM", RegRoot::LocalMachine},
    {L"HKEY_CLASSES_ROOT", RegRoot::ClassesRoot},
    {L"HKCR", RegRoot::ClassesRoot},
    {L"HKEY_USERS", RegRoot::Users},
    {L"HKEY_CURRENT_CONFIG", RegRoot::CurrentConfig},
};

wchar_t AsciiUpper(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) {
            return false;
        }
    }
    return true;
}

std::optional<RegRoot> FindRoot(std::wstring_view name) {
    for (const RootName& entry : kRootNames) {
        if (EqualsIgnoringAsciiCase(name, entry.name)) {
            return entry.root;
        }
    }
    return std::nullopt;
}

// Little-endian unsigned number from exactly `width` bytes.
std::uint64_t LittleEndian(const std::vector<std::uint8_t>& bytes, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = width; i > 0; --i) {
        value = (value << 8) | bytes[i - 1];
    }
    return value;
}

// UTF-16LE string data up to its terminator (or its end when it has none; a stray odd byte at
// the end is ignored), as a wide text. Unpaired surrogates are kept as they are stored.
std::wstring StringDataToText(const std::vector<std::uint8_t>& bytes) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0) {
            break;
        }
        units += unit;
    }
    std::wstring text;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t cp = units[i];
        const bool pairs = sizeof(wchar_t) == 4 && cp >= 0xD800 && cp <= 0xDBFF &&
                           i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
        if (pairs) {  // a 32-bit wide text holds the code point of a surrogate pair
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[++i] - 0xDC00);
        }
        text += static_cast<wchar_t>(cp);
    }
    return text;
}

void AppendUtf16Le(std::vector<std::uint8_t>& bytes, char32_t unit) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
}

std::vector<std::uint8_t> LittleEndianBytes(std::uint64_t value, std::size_t width) {
    std::vector<std::uint8_t> bytes(width);
    for (std::size_t i = 0; i < width; ++i) {
        bytes[i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

}  // namespace

std::optional<RegistryPath> ParseRegistryPath(const std::wstring& path) {
    const std::size_t firstSlash = path.find(L'\\');
    const std::size_t lastSlash = path.rfind(L'\\');
    if (firstSlash == std::wstring::npos || lastSlash + 1 == path.size()) {
        return std::nullopt;  // no value name
    }
    const std::optional<RegRoot> root = FindRoot(std::wstring_view(path).substr(0, firstSlash));
    if (!root) {
        return std::nullopt;
    }
    RegistryPath parsed;
    parsed.root = *root;
    if (lastSlash > firstSlash) {
        parsed.key = path.substr(firstSlash + 1, lastSlash - firstSlash - 1);
    }
    parsed.valueName = path.substr(lastSlash + 1);
    return parsed;
}

std::wstring RegRootName(RegRoot root) {
    for (const RootName& entry : kRootNames) {
        if (entry.root == root) {
            return entry.name;  // the full name comes first in the table
        }
    }
    return L"";
}

std::wstring RegDataToText(const RegData& data) {
    switch (data.type) {
        case RegType::String:
        case RegType::ExpandString:
            return StringDataToText(data.bytes);
        case RegType::Dword:
            if (data.bytes.size() != 4) {
                return L"";
            }
            return base::DecimalText(static_cast<std::int32_t>(LittleEndian(data.bytes, 4)));
        case RegType::Qword:
            if (data.bytes.size() != 8) {
                return L"";
            }
            return base::DecimalText(static_cast<std::int64_t>(LittleEndian(data.bytes, 8)));
        default:
            return L"";  // lists, binary data and untyped data have no single text form
    }
}

RegData MakeStringData(const std::wstring& text, RegType type) {
    RegData data;
    data.type = type;
    if constexpr (sizeof(wchar_t) == 2) {
        for (wchar_t unit : text) {
            AppendUtf16Le(data.bytes, static_cast<char16_t>(unit));
        }
    } else {
        for (wchar_t c : text) {
            const auto cp = static_cast<char32_t>(c);
            if (cp >= 0x10000 && cp <= 0x10FFFF) {
                AppendUtf16Le(data.bytes, 0xD800 + ((cp - 0x10000) >> 10));
                AppendUtf16Le(data.bytes, 0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                AppendUtf16Le(data.bytes, cp > 0x10FFFF ? 0xFFFD : cp);
            }
        }
    }
    AppendUtf16Le(data.bytes, 0);
    return data;
}

RegData MakeDwordData(std::uint32_t value) {
    return RegData{RegType::Dword, LittleEndianBytes(value, 4)};
}

RegData MakeQwordData(std::uint64_t value) {
    return RegData{RegType::Qword, LittleEndianBytes(value, 8)};
}

std::wstring RegReadValue(WinApi& api, const std::wstring& path) {
    const std::optional<RegistryPath> parsed = ParseRegistryPath(path);
    if (!parsed) {
        return L"";
    }
    const std::optional<RegData> data = api.RegQueryValue(parsed->root, parsed->key,
                                                          parsed->valueName);
    return data ? RegDataToText(*data) : L"";
}

void RegWriteValue(WinApi& api, const std::wstring& path, const std::wstring& value) {
    if (const std::optional<RegistryPath> parsed = ParseRegistryPath(path)) {
        api.RegSetString(parsed->root, parsed->key, parsed->valueName, value);  // failure is silent
    }
}

void RegDeleteValue(WinApi& api, const std::wstring& path) {
    if (const std::optional<RegistryPath> parsed = ParseRegistryPath(path)) {
        api.RegRemoveValue(parsed->root, parsed->key, parsed->valueName);  // missing is no error
    }
}

}  // namespace services
