// The login name in both forms: the chooser's, never empty, and the setup program's, which first
// takes the profile folder and leaves everything unchanged when that query writes nothing.
#include <gtest/gtest.h>

#include "services/LoginName.h"
#include "tests/fakes/FakeWinApi.h"

namespace {

using services::GetLoginName;

constexpr services::Handle kConfigWindow = 0x2345;

TEST(LoginNameChooser, TakesTheNameFromA255CharacterBuffer) {
    fakes::FakeWinApi api;
    api.userName = L"alice";
    std::wstring userName = L"previous";
    GetLoginName(api, userName);
    EXPECT_EQ(userName, L"alice");
    EXPECT_EQ(api.calls, std::vector<std::wstring>{L"GetUserNameA(<buffer 255>, 255)"});
}

TEST(LoginNameChooser, NoNameBecomesDefault) {
    fakes::FakeWinApi api;
    api.userName = std::nullopt;  // the query fails and writes nothing
    std::wstring userName;
    GetLoginName(api, userName);
    EXPECT_EQ(userName, L"Default");

    api.userName = L"";
    GetLoginName(api, userName);
    EXPECT_EQ(userName, L"Default");
}

TEST(LoginNameChooser, LongestNameThatFitsIsKeptWhole) {
    fakes::FakeWinApi api;
    api.userName = std::wstring(254, L'n');
    std::wstring userName;
    GetLoginName(api, userName);
    EXPECT_EQ(userName, std::wstring(254, L'n'));

    api.userName = std::wstring(255, L'n');  // no room for the terminator: the query fails
    GetLoginName(api, userName);
    EXPECT_EQ(userName, L"Default");
}

TEST(LoginNameChooser, NonAsciiNameSurvives) {
    fakes::FakeWinApi api;
    api.userName = L"J\u00FCrgen \u738B";
    std::wstring userName;
    GetLoginName(api, userName);
    EXPECT_EQ(userName, L"J\u00FCrgen \u738B");
}

TEST(LoginNameSetup, FillsProfileFolderThenName) {
    fakes::FakeWinApi api;
    api.profilePath = L"C:\\Documents and Settings\\alice";
    api.userName = L"alice";
    std::wstring profileDir;
    std::wstring userName;
    GetLoginName(api, kConfigWindow, profileDir, userName);
    EXPECT_EQ(profileDir, L"C:\\Documents and Settings\\alice");
    EXPECT_EQ(userName, L"alice");
    EXPECT_EQ(api.calls, (std::vector<std::wstring>{
                             L"SHGetFolderPathA(9029, 40, 0, 0, <buffer 260>)",
                             L"GetUserNameA(<buffer 255>, 255)",
                         }));
}

TEST(LoginNameSetup, NoNameStaysEmptyWithoutDefault) {
    fakes::FakeWinApi api;
    api.userName = std::nullopt;
    std::wstring profileDir;
    std::wstring userName = L"previous";
    GetLoginName(api, kConfigWindow, profileDir, userName);
    EXPECT_EQ(profileDir, L"C:\\Documents and Settings\\alice");
    EXPECT_EQ(userName, L"");
}

TEST(LoginNameSetup, NoTerminatorLeavesBothUnchangedAndSkipsNameQuery) {
    fakes::FakeWinApi api;
    api.profilePath = std::nullopt;  // the query fails and writes nothing
    std::wstring profileDir = L"D:\\old";
    std::wstring userName = L"bob";
    GetLoginName(api, kConfigWindow, profileDir, userName);
    EXPECT_EQ(profileDir, L"D:\\old");
    EXPECT_EQ(userName, L"bob");
    EXPECT_TRUE(api.CallsTo(L"GetUserNameA").empty());

    std::wstring emptyDir;
    std::wstring emptyName;
    GetLoginName(api, kConfigWindow, emptyDir, emptyName);
    EXPECT_EQ(emptyDir, L"");
    EXPECT_EQ(emptyName, L"");
}

TEST(LoginNameSetup, EmptyProfilePathIsTakenAsWritten) {
    fakes::FakeWinApi api;
    api.profilePath = L"";
    std::wstring profileDir = L"D:\\old";
    std::wstring userName;
    GetLoginName(api, kConfigWindow, profileDir, userName);
    EXPECT_EQ(profileDir, L"");
    EXPECT_EQ(userName, L"alice");
}

// A profile path as long as the system allows (259 characters and the terminator) is kept whole:
// a shortened folder name would name some other folder.
TEST(LoginNameSetup, LongestProfilePathIsKeptWhole) {
    fakes::FakeWinApi api;
    const std::wstring longPath = L"C:\\" + std::wstring(256, L'p');
    ASSERT_EQ(longPath.size(), 259u);
    api.profilePath = longPath;
    std::wstring profileDir;
    std::wstring userName;
    GetLoginName(api, kConfigWindow, profileDir, userName);
    EXPECT_EQ(profileDir, longPath);
    EXPECT_EQ(userName, L"alice");
}

}  // namespace
