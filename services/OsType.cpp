// Version record -> family text. Only the platform, major and minor version, product type and
// suite mask take part; build number and service pack never change the answer.
#include "services/OsType.h"

namespace services {

namespace {

constexpr std::uint32_t kPlatformWin32s = 0;
constexpr std::uint32_t kPlatformWindows = 1;
constexpr std::uint32_t kPlatformNt = 2;

constexpr std::uint8_t kNtWorkstation = 1;
constexpr std::uint8_t kNtServer = 3;
constexpr std::uint16_t kSuiteEnterprise = 2;

constexpr std::uint32_t kExtendedRecordSize = 156;
constexpr std::uint32_t kPlainRecordSize = 148;

// The 9x releases differ only by minor version (95, 98, Me); the major is not examined.
std::wstring ClassifyWindows9x(const OsVersionInfoEx& info) {
    switch (info.dwMinorVersion) {
        case 0:
        case 10:
        case 90:
            return kOsWin9x;
        default:
            return L"";
    }
}

// NT 3.x: the minor version 51 is the whole number 51 (3.51), distinct from 5 (3.5).
std::wstring ClassifyNt3(const OsVersionInfoEx& info) {
    switch (info.dwMinorVersion) {
        case 0:
            return kOsNt3;
        case 1:
            return kOsNt31;
        case 5:
            return kOsNt35;
        case 51:
            return kOsNt351;
        default:
            return L"";
    }
}

// 5.0 is the 2000 family unless it is a domain controller; 5.1 on a workstation joins it,
// whatever its suites. The server form of 5.1 is told apart by a suite mask of exactly 2.
std::wstring ClassifyNt5(const OsVersionInfoEx& info) {
    if (info.dwMinorVersion == 0) {
        const bool known = info.wProductType == kNtWorkstation || info.wProductType == kNtServer;
        return known ? kOsWin2k : L"";
    }
    if (info.dwMinorVersion == 1) {
        if (info.wProductType == kNtWorkstation) {
            return kOsWin2k;
        }
        return info.wSuiteMask == kSuiteEnterprise ? kOsEnterpriseServer : kOsServer;
    }
    return L"";
}

std::wstring ClassifyNt(const OsVersionInfoEx& info) {
    switch (info.dwMajorVersion) {
        case 3:
            return ClassifyNt3(info);
        case 4:
            return kOsNt4;
        case 5:
            return ClassifyNt5(info);
        default:
            return L"";
    }
}

}  // namespace

std::wstring ClassifyOS(int callResult, const OsVersionInfoEx& info) {
    if (callResult != 1) {
        return L"";
    }
    switch (info.dwPlatformId) {
        case kPlatformWin32s:
            return kOsWindows3x;
        case kPlatformWindows:
            return ClassifyWindows9x(info);
        case kPlatformNt:
            return ClassifyNt(info);
        default:
            return L"";
    }
}

std::wstring GetOSType(WinApi& api) {
    OsVersionInfoEx info{};
    info.dwOSVersionInfoSize = kExtendedRecordSize;
    int result = api.GetVersionExA(info);
    if (result != 1) {
        // Windows 95, 98 and Me are documented to take only the plain record: asked with the
        // extended one they would be no system at all.
        info = OsVersionInfoEx{};
        info.dwOSVersionInfoSize = kPlainRecordSize;
        result = api.GetVersionExA(info);
    }
    return ClassifyOS(result, info);
}

bool IsWindows9xFamily(WinApi& api) {
    for (const std::uint32_t size : {kExtendedRecordSize, kPlainRecordSize}) {
        OsVersionInfoEx info{};
        info.dwOSVersionInfoSize = size;
        if (api.GetVersionExA(info) == 1) {
            return info.dwPlatformId == kPlatformWindows || info.dwPlatformId == kPlatformWin32s;
        }
    }
    return false;
}

}  // namespace services
