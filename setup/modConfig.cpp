#include "setup/modConfig.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "base/Numeric.h"
#include "base/Text.h"
#include "services/Registry.h"

namespace setup {
namespace {

std::unique_ptr<SetupProgram> g_setup;

}  // namespace

SetupProgram& Setup() { return *g_setup; }

void StartSetup(services::WinApi& api) {
    g_setup.reset();
    g_setup = std::make_unique<SetupProgram>(api);
}

void EndSetup() { g_setup.reset(); }

std::wstring LogonCommand(const std::wstring& programFolder) {
    const std::wstring program = programFolder + L"\\Murivale.exe";
    const bool needsQuotes = program.find(L' ') != std::wstring::npos;
    return (needsQuotes ? L"\"" + program + L"\"" : program) + L" /p %1";
}

std::wstring BaseBitmapPath(const std::wstring& programFolder, const std::wstring& userName) {
    const std::wstring path = programFolder + L"\\" + services::BaseBitmapName(userName);
    // One pass from the left; a network path keeps the two backslashes it opens with, or it
    // would name a folder on the current drive.
    const bool network = base::StartsWith(path, L"\\\\");
    const std::wstring rest =
        base::ReplaceAll(network ? path.substr(2) : path, L"\\\\", L"\\");
    return network ? L"\\\\" + rest : rest;
}

std::wstring ExpandPlaceholders(const std::wstring& path, const SetupState& state,
                                const std::wstring& programFiles) {
    std::wstring expanded = base::ReplaceAll(path, L"%SystemRoot%", state.WindowsDir);
    expanded = base::ReplaceAll(expanded, L"%SystemDrive%", state.WindowsDir.substr(0, 2));
    expanded = base::ReplaceAll(expanded, L"%ProgramFiles%", programFiles);
    return base::ReplaceAll(expanded, L"%USERPROFILE%", state.ProfileDir);
}

std::wstring ProgramFilesFolder(services::WinApi& api, const std::wstring& windowsDir) {
    const std::wstring recorded = services::RegReadValue(api, kRegProgramFilesDir);
    if (!recorded.empty()) return recorded;
    return windowsDir.substr(0, 2) + L"\\Program Files";
}

std::optional<std::int16_t> ParseInt16(const std::wstring& text) {
    const std::string narrow = base::ToUtf8(base::TrimSpaces(text));
    if (narrow.empty()) return std::nullopt;
    for (const char c : narrow) {
        // Decimal numbers only: no hexadecimal, infinity or NaN spellings.
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.' ||
              c == 'e' || c == 'E')) {
            return std::nullopt;
        }
    }
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(narrow.c_str(), &end);
    if (end != narrow.c_str() + narrow.size() || errno == ERANGE) return std::nullopt;
    try {
        return base::ToInt16(value);
    } catch (const base::OverflowError&) {
        return std::nullopt;
    }
}

}  // namespace setup
