// Text in an 8-bit code page, as the Windows 95/98/Me family takes it: the conversions that the
// Windows-function layer (win32/WinCalls.h) makes when a system has no working wide functions.
// The code page itself is the system's (win32::SystemCodePage); these rules hold for any.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace base {

class CodePage {
public:
    virtual ~CodePage() = default;
    // The 8-bit form. A character the page cannot hold becomes '?'; `lossy`, when given, says
    // whether any did.
    virtual std::string Narrow(std::wstring_view text, bool* lossy = nullptr) const = 0;
    virtual std::wstring Widen(std::string_view text) const = 0;
};

// Registry string data (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) between the 8-bit form the 9x
// registry keeps and the UTF-16LE form the programs read; data of other types is returned as
// it is. Strings come back terminated whether or not the stored data was (a REG_MULTI_SZ with
// its closing empty string).
std::vector<std::uint8_t> RegStringToWide(const CodePage& page, std::uint32_t type,
                                          const std::vector<std::uint8_t>& narrow);
std::vector<std::uint8_t> RegStringToNarrow(const CodePage& page, std::uint32_t type,
                                            const std::vector<std::uint8_t>& wide);

// The name under which a file found by the 8-bit search functions can be opened again. A long
// name the code page cannot hold comes with '?' in it (never part of a real name): then the
// short 8.3 name is used, and a file without a usable short name is left out (std::nullopt).
std::optional<std::wstring> FoundFileName(const CodePage& page, std::string_view longName,
                                          std::string_view shortName);

}  // namespace base
