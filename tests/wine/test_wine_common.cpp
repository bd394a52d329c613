// The common services against the real Windows functions (run under Wine): the version the
// prefix is set to, the registry with a scratch key under HKCU\Software\MurivaleTest, and the
// user's name and profile folder.
#include <windows.h>

#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/CaseFold.h"
#include "base/Text.h"
#include "base/win32/Handles.h"
#include "services/LoginName.h"
#include "services/OsType.h"
#include "services/Registry.h"
#include "services/WinApi.h"
#include "setup/modConfig.h"

// <windows.h> turns RegDeleteValue into RegDeleteValueW; the call below means ours.
#undef RegDeleteValue

namespace {

using services::SystemWinApi;
using base::win32::UniqueHKey;

// The version text the prefix asks Wine to report; empty when none is set (Wine's default).
std::wstring WineVersionSetting() {
    UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wine", 0, KEY_QUERY_VALUE, key.Put()) !=
        ERROR_SUCCESS) {
        return L"";
    }
    wchar_t text[64] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegQueryValueExW(key.Get(), L"Version", nullptr, &type, reinterpret_cast<BYTE*>(text),
                           &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return L"";
    }
    return text;
}

struct LiveExpectation {
    std::uint32_t major;
    std::uint32_t minor;
    std::wstring osType;
};

// What each Wine version setting reports and must classify as. The version numbers prove that
// the setting took effect; 5.1 workstation joins the 2000 family, 5.2 and later are unknown.
const std::map<std::wstring, LiveExpectation>& LiveExpectations() {
    static const std::map<std::wstring, LiveExpectation> table = {
        {L"win95", {4, 0, L"Win9x"}},     {L"win98", {4, 10, L"Win9x"}},
        {L"winme", {4, 90, L"Win9x"}},    {L"nt40", {4, 0, L"Windows NT 4"}},
        {L"win2k", {5, 0, L"Win2k"}},     {L"winxp", {5, 1, L"Win2k"}},
        {L"winxp64", {5, 2, L""}},        {L"win2003", {5, 2, L""}},
        {L"vista", {6, 0, L""}},          {L"win2008", {6, 0, L""}},
        {L"win7", {6, 1, L""}},           {L"win2008r2", {6, 1, L""}},
        {L"win8", {6, 2, L""}},
    };
    return table;
}

TEST(OsTypeLive, ClassifiesTheVersionThePrefixReports) {
    const std::wstring setting = WineVersionSetting();
    const std::string shown = "Wine version setting \"" + base::ToUtf8(setting) + "\"";
    services::OsVersionInfoEx info;
    info.dwOSVersionInfoSize = 156;
    ASSERT_EQ(SystemWinApi().GetVersionExA(info), 1);
    const std::wstring osType = services::GetOSType(SystemWinApi());

    const auto found = LiveExpectations().find(setting);
    if (found == LiveExpectations().end()) {
        // Unset (Wine's default, Windows 7 or 10 depending on the build) or a later release:
        // version 6 or later, which the programs do not know.
        EXPECT_GE(info.dwMajorVersion, 6u) << shown;
        EXPECT_EQ(osType, L"") << shown;
        return;
    }
    EXPECT_EQ(info.dwMajorVersion, found->second.major) << shown;
    EXPECT_EQ(info.dwMinorVersion, found->second.minor) << shown;
    EXPECT_EQ(osType, found->second.osType) << shown;
}

// A scratch key, removed before and after each test.
class RegistryLive : public ::testing::Test {
protected:
    static constexpr const wchar_t* kScratch = L"Software\\MurivaleTest";
    const std::wstring base = L"HKEY_CURRENT_USER\\Software\\MurivaleTest\\";

    void SetUp() override { ::SHDeleteKeyW(HKEY_CURRENT_USER, kScratch); }
    void TearDown() override { ::SHDeleteKeyW(HKEY_CURRENT_USER, kScratch); }

    // Stores raw data of any type with the registry functions themselves.
    static void StoreRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        UniqueHKey key;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_SET_VALUE,
                                    nullptr, key.Put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }

    // The stored type and size of a value, or REG_NONE and 0 when it is missing.
    static std::pair<DWORD, DWORD> StoredTypeAndSize(const std::wstring& key, const wchar_t* name) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        UniqueHKey opened;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, opened.Put()) ==
            ERROR_SUCCESS) {
            if (::RegQueryValueExW(opened.Get(), name, nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS) {
                return {REG_NONE, 0};
            }
        }
        return {type, size};
    }
};

TEST_F(RegistryLive, MissingValueAndMissingKeyReadEmpty) {
    EXPECT_EQ(services::RegReadValue(SystemWinApi(), base + L"Missing"), L"");
    EXPECT_EQ(services::RegReadValue(SystemWinApi(), base + L"No\\Such\\Key\\Value"), L"");
}

TEST_F(RegistryLive, NumbersReadAsDecimalText) {
    const DWORD answer = 42;
    const DWORD allBits = 0xFFFFFFFF;
    const ULONGLONG big = 0x100000000ULL;
    StoreRaw(L"Answer", REG_DWORD, &answer, sizeof answer);
    StoreRaw(L"AllBits", REG_DWORD, &allBits, sizeof allBits);
    StoreRaw(L"Big", REG_QWORD, &big, sizeof big);
    EXPECT_EQ(services::RegReadValue(SystemWinApi(), base + L"Answer"), L"42");
    EXPECT_EQ(services::RegReadValue(SystemWinApi(), base + L"AllBits"), L"-1");
    EXPECT_EQ(services::RegReadValue(SystemWinApi(), base + L"Big"), L"4294967296");
}

TEST_F(RegistryLive, ExpandableStringIsNotExpanded) {
    const wchar_t text[] = L"%SystemRoot%\\Web\\wall.jpg";
    StoreRaw(L"Expand", REG_EXPAND_SZ, text, sizeof text);
    EXPECT_EQ(services::RegReadValue(SystemWinApi(), base + L"Expand"), text);
}

TEST_F(RegistryLive, ListsAndBinaryDataReadEmpty) {
    const wchar_t list[] = L"one\0two\0";
    const BYTE binary[] = {0x41, 0x00, 0x42, 0x00};
    StoreRaw(L"List", REG_MULTI_SZ, list, sizeof list);
    StoreRaw(L"Binary", REG_BINARY, binary, sizeof binary);
    EXPECT_EQ(services::RegReadValue(SystemWinApi(), base + L"List"), L"");
    EXPECT_EQ(services::RegReadValue(SystemWinApi(), base + L"Binary"), L"");
}

TEST_F(RegistryLive, WriteCreatesMissingKeysAndStoresString) {
    const std::wstring path = base + L"Deeper\\Still\\Name";
    services::RegWriteValue(SystemWinApi(), path, L"C:\\Bilder\\\u00C4pfel");
    EXPECT_EQ(services::RegReadValue(SystemWinApi(), path), L"C:\\Bilder\\\u00C4pfel");
    EXPECT_EQ(StoredTypeAndSize(L"Software\\MurivaleTest\\Deeper\\Still", L"Name").first,
              static_cast<DWORD>(REG_SZ));
}

TEST_F(RegistryLive, WritingEmptyTextStoresEmptyString) {
    services::RegWriteValue(SystemWinApi(), base + L"Empty", L"full");
    services::RegWriteValue(SystemWinApi(), base + L"Empty", L"");
    const auto [type, size] = StoredTypeAndSize(kScratch, L"Empty");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, sizeof(wchar_t));  // the terminator alone
    EXPECT_EQ(services::RegReadValue(SystemWinApi(), base + L"Empty"), L"");
}

TEST_F(RegistryLive, DeleteRemovesValueAndMissingOnesAreSilent) {
    services::RegWriteValue(SystemWinApi(), base + L"Gone", L"x");
    services::RegWriteValue(SystemWinApi(), base + L"Kept", L"y");
    services::RegDeleteValue(SystemWinApi(), base + L"Gone");
    services::RegDeleteValue(SystemWinApi(), base + L"Gone");
    services::RegDeleteValue(SystemWinApi(), base + L"No\\Such\\Key\\Value");
    EXPECT_EQ(StoredTypeAndSize(kScratch, L"Gone").first, static_cast<DWORD>(REG_NONE));
    EXPECT_EQ(services::RegReadValue(SystemWinApi(), base + L"Kept"), L"y");
    UniqueHKey absent;
    EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\MurivaleTest\\No", 0, KEY_READ,
                              absent.Put()),
              ERROR_SUCCESS)
        << "a delete must not create keys";
}

std::wstring NameFromSystem() {
    wchar_t name[256] = {};
    DWORD size = 256;
    return ::GetUserNameW(name, &size) ? name : L"";
}

// What the system itself records as its program folder: the 64-bit view of the key on 64-bit
// Windows, which is what a 32-bit program is not shown by default.
std::wstring SystemsProgramFilesDir() {
    BOOL wow64 = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &wow64);
    UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", 0,
                        KEY_QUERY_VALUE | (wow64 ? KEY_WOW64_64KEY : 0), key.Put()) != ERROR_SUCCESS) {
        return L"";
    }
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    if (::RegQueryValueExW(key.Get(), L"ProgramFilesDir", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS) {
        return L"";
    }
    return value;
}

// Both builds give %ProgramFiles% the same folder, the one the system means by it, also the
// 32-bit build on 64-bit Windows.
TEST(RegistryViewLive, ProgramFilesIsTheSystemsOwnFolderInEitherBuild) {
    const std::wstring expected = SystemsProgramFilesDir();
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(setup::ProgramFilesFolder(SystemWinApi(), L"C:\\windows"), expected);
    EXPECT_EQ(expected.find(L"(x86)"), std::wstring::npos) << base::ToUtf8(expected);
}

TEST(LoginNameLive, ChooserFormGivesTheSystemName) {
    const std::wstring expected = NameFromSystem();
    ASSERT_FALSE(expected.empty());
    std::wstring userName;
    services::GetLoginName(SystemWinApi(), userName);
    EXPECT_EQ(userName, expected);
}

TEST(LoginNameLive, SetupFormGivesAnExistingProfileFolderAndTheName) {
    std::wstring profileDir;
    std::wstring userName;
    services::GetLoginName(SystemWinApi(), 0, profileDir, userName);
    EXPECT_EQ(userName, NameFromSystem());
    ASSERT_FALSE(profileDir.empty());
    EXPECT_NE(profileDir.back(), L'\\');
    const DWORD attributes = ::GetFileAttributesW(profileDir.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

namespace {

// The resolution label's numbers with this platform's C++ library, for screens of several sizes
// at several resolutions: plain digits, never an exponent.
TEST(TextDecimalLive, ScreenSizesAreWrittenInPlainDigits) {
    struct Case { int pixels, twipsPerPixel; const wchar_t* text; };
    for (const Case& c : {Case{800, 15, L"800"}, Case{600, 15, L"600"}, Case{1280, 12, L"1280"},
                          Case{1024, 15, L"1024"}, Case{1920, 10, L"1920"}, Case{1080, 15, L"1080"},
                          Case{3840, 20, L"3840"}}) {
        const float value = float(c.pixels * c.twipsPerPixel) / float(c.twipsPerPixel);
        EXPECT_EQ(base::ShortestDecimalText(value), c.text);
    }
    EXPECT_EQ(base::ShortestDecimalText(1366.5f), L"1366.5");
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    EXPECT_EQ(base::ShortestDecimalText(float(width)), std::to_wstring(width));
}

}  // namespace

namespace {

// The programs' lower-casing is the system's, for every UTF-16 code unit, one at a time and as
// one buffer holding them all.
TEST(CaseFoldLive, EqualsTheSystemsLowerCasingForEveryCodeUnit) {
    std::wstring all(0x10000, L'\0');
    int differing = 0;
    for (unsigned code = 0; code < 0x10000; ++code) {
        wchar_t unit = static_cast<wchar_t>(code);
        all[code] = unit;
        ::CharLowerBuffW(&unit, 1);
        if (unit != base::LowerChar(static_cast<wchar_t>(code)) && ++differing <= 20) {
            ADD_FAILURE() << std::hex << "U+" << code << ": system " << unsigned(unit)
                          << ", ours " << unsigned(base::LowerChar(static_cast<wchar_t>(code)));
        }
    }
    EXPECT_EQ(differing, 0);
    std::wstring system = all;
    ::CharLowerBuffW(system.data(), static_cast<DWORD>(system.size()));
    EXPECT_TRUE(system == base::LowerCase(all));
}

}  // namespace
