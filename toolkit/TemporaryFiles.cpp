// The names of the temporary files that atomic writes use, common to both backends.
#include <limits>

#include "base/CaseFold.h"
#include "base/Text.h"
#include "toolkit/FileSystem.h"

namespace tk::fs {

namespace {

constexpr wchar_t kSuffix[] = L".tmp";
constexpr std::size_t kSuffixLength = 4;
constexpr wchar_t kSetAside[] = L".old";  // before kSuffix
constexpr std::size_t kSetAsideLength = 4;

// The decimal number that fills `text` exactly (digits only, no sign, fits 32 bits).
std::optional<std::uint32_t> WholeNumber(const std::wstring& text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

}  // namespace

std::wstring TemporaryPathFor(const std::wstring& path, std::uint32_t processId,
                              std::uint32_t serial) {
    return path + L"." + base::DecimalText(processId) + L"-" + base::DecimalText(serial) + kSuffix;
}

std::optional<std::uint32_t> TemporaryWriterOf(const std::wstring& fileName,
                                               const std::wstring& candidate) {
    // fileName "." pid "-" serial ".tmp"
    if (fileName.empty() || candidate.size() < fileName.size() + 1 + 1 + 1 + 1 + kSuffixLength) {
        return std::nullopt;
    }
    if (!base::EqualsIgnoringCase(candidate.substr(0, fileName.size()), fileName)) return std::nullopt;
    if (candidate[fileName.size()] != L'.') return std::nullopt;
    if (!base::EqualsIgnoringCase(candidate.substr(candidate.size() - kSuffixLength), kSuffix)) return std::nullopt;
    const std::wstring middle = candidate.substr(fileName.size() + 1,
                                                 candidate.size() - fileName.size() - 1 - kSuffixLength);
    const std::size_t dash = middle.find(L'-');
    if (dash == std::wstring::npos) return std::nullopt;
    const auto process = WholeNumber(middle.substr(0, dash));
    if (!process || !WholeNumber(middle.substr(dash + 1))) return std::nullopt;
    return process;
}

std::wstring SetAsidePathFor(const std::wstring& path, std::uint32_t processId,
                             std::uint32_t serial) {
    std::wstring name = TemporaryPathFor(path, processId, serial);
    name.insert(name.size() - kSuffixLength, kSetAside);
    return name;
}

std::optional<std::uint32_t> SetAsideWriterOf(const std::wstring& fileName,
                                              const std::wstring& candidate) {
    const std::size_t tail = kSetAsideLength + kSuffixLength;
    if (candidate.size() < tail ||
        !base::EqualsIgnoringCase(candidate.substr(candidate.size() - tail, kSetAsideLength), kSetAside)) {
        return std::nullopt;
    }
    std::wstring temporary = candidate;
    temporary.erase(candidate.size() - tail, kSetAsideLength);
    return TemporaryWriterOf(fileName, temporary);
}

}  // namespace tk::fs
