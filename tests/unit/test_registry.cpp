// Registry access by full value path: path parsing, the text a read gives for each kind of
// stored data, writes that create keys, and failures that stay silent.
#include <gtest/gtest.h>

#include "services/Registry.h"
#include "tests/fakes/FakeWinApi.h"

namespace {

using services::MakeDwordData;
using services::MakeQwordData;
using services::MakeStringData;
using services::RegData;
using services::RegReadValue;
using services::RegRoot;
using services::RegType;
using services::RegWriteValue;

const std::wstring kFolderPath = L"HKEY_CURRENT_USER\\Software\\Murivale\\FolderPath";

TEST(RegistryPath, SplitsRootKeyAndValueName) {
    const auto parsed =
        services::ParseRegistryPath(L"HKEY_CURRENT_USER\\Control Panel\\Desktop\\Wallpaper");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->root, RegRoot::CurrentUser);
    EXPECT_EQ(parsed->key, L"Control Panel\\Desktop");
    EXPECT_EQ(parsed->valueName, L"Wallpaper");
}

TEST(RegistryPath, AcceptsFullAndShortRootsInAnyCase) {
    const std::pair<const wchar_t*, RegRoot> roots[] = {
        {L"HKEY_CURRENT_USER", RegRoot::CurrentUser},
        {L"hkcu", RegRoot::CurrentUser},
        {L"HKEY_LOCAL_MACHINE", RegRoot::LocalMachine},
        {L"HKLM", RegRoot::LocalMachine},
        {L"hkey_classes_root", RegRoot::ClassesRoot},
        {L"HkCr", RegRoot::ClassesRoot},
        {L"HKEY_USERS", RegRoot::Users},
        {L"HKEY_CURRENT_CONFIG", RegRoot::CurrentConfig},
    };
    for (const auto& [name, root] : roots) {
        const auto parsed = services::ParseRegistryPath(std::wstring(name) + L"\\Key\\Value");
        ASSERT_TRUE(parsed) << name;
        EXPECT_EQ(parsed->root, root) << name;
    }
}

TEST(RegistryPath, RejectsUnknownRootsAndPathsWithoutValueName) {
    EXPECT_FALSE(services::ParseRegistryPath(L"HKEY_CURRENT_USERS\\Key\\Value"));
    EXPECT_FALSE(services::ParseRegistryPath(L"HKU\\Key\\Value"));
    EXPECT_FALSE(services::ParseRegistryPath(L"Software\\Murivale\\FolderPath"));
    EXPECT_FALSE(services::ParseRegistryPath(L"HKEY_CURRENT_USER\\Software\\Murivale\\"));
    EXPECT_FALSE(services::ParseRegistryPath(L"HKEY_CURRENT_USER"));
    EXPECT_FALSE(services::ParseRegistryPath(L""));
}

TEST(RegistryPath, ValueDirectlyUnderRootHasEmptyKey) {
    const auto parsed = services::ParseRegistryPath(L"HKCU\\Value");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->key, L"");
    EXPECT_EQ(parsed->valueName, L"Value");
}

TEST(RegistryRead, StringsAreReturnedAsStoredWithoutExpansion) {
    fakes::FakeWinApi api;
    api.SetValue(RegRoot::CurrentUser, L"Software\\Murivale", L"BaseFile",
                 MakeStringData(L"%SystemRoot%\\web.jpg", RegType::ExpandString));
    api.SetString(kFolderPath, L"C:\\Pictures\\");
    EXPECT_EQ(RegReadValue(api, L"HKEY_CURRENT_USER\\Software\\Murivale\\BaseFile"),
              L"%SystemRoot%\\web.jpg");
    EXPECT_EQ(RegReadValue(api, kFolderPath), L"C:\\Pictures\\");
}

TEST(RegistryRead, AsksForTheParsedKeyAndValue) {
    fakes::FakeWinApi api;
    RegReadValue(api, L"HKLM\\Software\\A B\\C\\Name");
    EXPECT_EQ(api.calls, std::vector<std::wstring>{
                             L"RegQueryValue(HKEY_LOCAL_MACHINE, \"Software\\A B\\C\", \"Name\")"});
}

TEST(RegistryRead, MissingValuesKeysAndBadPathsReadEmpty) {
    fakes::FakeWinApi api;
    api.SetString(kFolderPath, L"C:\\Pictures");
    EXPECT_EQ(RegReadValue(api, L"HKEY_CURRENT_USER\\Software\\Murivale\\BaseFile"), L"");
    EXPECT_EQ(RegReadValue(api, L"HKEY_CURRENT_USER\\Software\\Nothing\\FolderPath"), L"");
    EXPECT_EQ(RegReadValue(api, L"HKEY_NOWHERE\\Software\\Murivale\\FolderPath"), L"");
    EXPECT_EQ(RegReadValue(api, L"HKEY_CURRENT_USER\\Software\\Murivale\\"), L"");
    EXPECT_TRUE(api.CallsTo(L"RegQueryValue").size() == 2) << "bad paths never reach the registry";
}

TEST(RegistryRead, NumbersReadAsSignedDecimalText) {
    EXPECT_EQ(services::RegDataToText(MakeDwordData(0)), L"0");
    EXPECT_EQ(services::RegDataToText(MakeDwordData(1)), L"1");
    EXPECT_EQ(services::RegDataToText(MakeDwordData(2147483647u)), L"2147483647");
    EXPECT_EQ(services::RegDataToText(MakeDwordData(0x80000000u)), L"-2147483648");
    EXPECT_EQ(services::RegDataToText(MakeDwordData(0xFFFFFFFFu)), L"-1");
    EXPECT_EQ(services::RegDataToText(MakeQwordData(0x100000000ull)), L"4294967296");
    EXPECT_EQ(services::RegDataToText(MakeQwordData(~0ull)), L"-1");
}

TEST(RegistryRead, NumberValueThroughThePath) {
    fakes::FakeWinApi api;
    api.SetValue(RegRoot::CurrentUser, L"Software\\Murivale", L"RunOnStartup", MakeDwordData(1));
    EXPECT_EQ(RegReadValue(api, L"HKEY_CURRENT_USER\\Software\\Murivale\\RunOnStartup"), L"1");
}

TEST(RegistryRead, DataWithoutSingleTextFormReadsEmpty) {
    EXPECT_EQ(services::RegDataToText(RegData{RegType::MultiString, MakeStringData(L"a").bytes}),
              L"");
    EXPECT_EQ(services::RegDataToText(RegData{RegType::Binary, {0x41, 0, 0x42, 0}}), L"");
    EXPECT_EQ(services::RegDataToText(RegData{RegType::None, {0x41, 0}}), L"");
    EXPECT_EQ(services::RegDataToText(RegData{RegType::Dword, {1, 0, 0}}), L"");
    EXPECT_EQ(services::RegDataToText(RegData{RegType::Dword, {1, 0, 0, 0, 0}}), L"");
    EXPECT_EQ(services::RegDataToText(RegData{RegType::Qword, {1, 0, 0, 0}}), L"");
    EXPECT_EQ(services::RegDataToText(RegData{static_cast<RegType>(99), {1, 0, 0, 0}}), L"");
}

TEST(RegistryRead, StringDataEndsAtFirstTerminatorOrAtItsEnd) {
    EXPECT_EQ(services::RegDataToText(RegData{RegType::String, {'a', 0, 0, 0, 'b', 0, 0, 0}}), L"a");
    EXPECT_EQ(services::RegDataToText(RegData{RegType::String, {'a', 0, 'b', 0}}), L"ab");
    EXPECT_EQ(services::RegDataToText(RegData{RegType::String, {'a', 0, 'b'}}), L"a");
    EXPECT_EQ(services::RegDataToText(RegData{RegType::String, {}}), L"");
}

TEST(RegistryRead, NonAsciiAndNonBmpTextSurvivesStoring) {
    const std::wstring text = L"C:\\Bilder\\\u00C4pfel \u65E5\u672C \U0001F600";
    const RegData data = MakeStringData(text);
    EXPECT_EQ(services::RegDataToText(data), text);
    const std::size_t n = data.bytes.size();  // a surrogate pair, then the terminator
    ASSERT_GE(n, 6u);
    EXPECT_EQ(data.bytes[n - 6] | data.bytes[n - 5] << 8, 0xD83D);
    EXPECT_EQ(data.bytes[n - 4] | data.bytes[n - 3] << 8, 0xDE00);
    EXPECT_EQ(data.bytes[n - 2] | data.bytes[n - 1] << 8, 0);
}

TEST(RegistryWrite, StoresStringValueCreatingMissingKeys) {
    fakes::FakeWinApi api;
    RegWriteValue(api, L"HKEY_CURRENT_USER\\Software\\New\\Deeper\\Name", L"text");
    EXPECT_TRUE(api.KeyExists(RegRoot::CurrentUser, L"Software\\New"));
    EXPECT_TRUE(api.KeyExists(RegRoot::CurrentUser, L"Software\\New\\Deeper"));
    const auto stored = api.Value(RegRoot::CurrentUser, L"Software\\New\\Deeper", L"Name");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, RegType::String);
    EXPECT_EQ(RegReadValue(api, L"HKEY_CURRENT_USER\\Software\\New\\Deeper\\Name"), L"text");
    EXPECT_EQ(
        api.CallsTo(L"RegSetString"),
        std::vector<std::wstring>{
            L"RegSetString(HKEY_CURRENT_USER, \"Software\\New\\Deeper\", \"Name\", \"text\")"});
}

TEST(RegistryWrite, EmptyTextStoresEmptyStringNotADeletion) {
    fakes::FakeWinApi api;
    api.SetString(kFolderPath, L"C:\\Pictures");
    RegWriteValue(api, kFolderPath, L"");
    ASSERT_TRUE(api.HasValue(kFolderPath));
    EXPECT_EQ(api.String(kFolderPath), std::optional<std::wstring>(L""));
    const auto stored = api.Value(RegRoot::CurrentUser, L"Software\\Murivale", L"FolderPath");
    EXPECT_EQ(stored->bytes, (std::vector<std::uint8_t>{0, 0}));  // just the terminator
}

TEST(RegistryWrite, ReplacesValueOfOtherTypeWithString) {
    fakes::FakeWinApi api;
    api.SetValue(RegRoot::CurrentUser, L"Software\\Murivale", L"RunOnStartup", MakeDwordData(1));
    RegWriteValue(api, L"HKEY_CURRENT_USER\\Software\\Murivale\\RunOnStartup", L"0");
    EXPECT_EQ(api.String(L"HKEY_CURRENT_USER\\Software\\Murivale\\RunOnStartup"),
              std::optional<std::wstring>(L"0"));
}

TEST(RegistryWrite, PathWithoutValueNameWritesNothing) {
    fakes::FakeWinApi api;
    RegWriteValue(api, L"HKEY_CURRENT_USER\\Software\\Murivale\\", L"x");
    RegWriteValue(api, L"Murivale", L"x");
    RegWriteValue(api, L"HKXX\\Software\\Murivale\\Name", L"x");
    EXPECT_TRUE(api.calls.empty());
}

TEST(RegistryDelete, RemovesOnlyTheNamedValue) {
    fakes::FakeWinApi api;
    api.SetString(kFolderPath, L"C:\\Pictures");
    api.SetString(L"HKEY_CURRENT_USER\\Software\\Murivale\\BaseFile", L"C:\\base.bmp");
    services::RegDeleteValue(api, L"HKCU\\Software\\Murivale\\FOLDERPATH");
    EXPECT_FALSE(api.HasValue(kFolderPath));
    EXPECT_TRUE(api.HasValue(L"HKEY_CURRENT_USER\\Software\\Murivale\\BaseFile"));
    EXPECT_TRUE(api.KeyExists(RegRoot::CurrentUser, L"Software\\Murivale"));
}

TEST(RegistryDelete, MissingValueOrKeyIsSilentAndChangesNothing) {
    fakes::FakeWinApi api;
    api.SetString(kFolderPath, L"C:\\Pictures");
    services::RegDeleteValue(api, L"HKEY_CURRENT_USER\\Software\\Murivale\\Missing");
    services::RegDeleteValue(api, L"HKEY_CURRENT_USER\\Software\\Nowhere\\FolderPath");
    EXPECT_EQ(api.String(kFolderPath), std::optional<std::wstring>(L"C:\\Pictures"));
    EXPECT_FALSE(api.KeyExists(RegRoot::CurrentUser, L"Software\\Nowhere"));
}

TEST(RegistryDelete, PathWithoutValueNameDeletesNothing) {
    fakes::FakeWinApi api;
    api.SetString(kFolderPath, L"C:\\Pictures");
    services::RegDeleteValue(api, L"HKEY_CURRENT_USER\\Software\\Murivale\\");
    EXPECT_TRUE(api.calls.empty());
    EXPECT_TRUE(api.HasValue(kFolderPath));
}

}  // namespace
