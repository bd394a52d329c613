// Login name and profile folder through the system's user-name and folder queries.
#include "services/LoginName.h"

#include "base/Text.h"

namespace services {

namespace {

// The name buffer: 255 characters, enough for any login name with its terminator.
constexpr std::uint32_t kUserNameBufferSize = 255;
// The folder buffer: the system may write a path of up to 260 characters with its terminator.
constexpr std::size_t kMaxPath = 260;
constexpr Handle kCurrentUserToken = 0;
constexpr std::uint32_t kFolderTypeCurrent = 0;

// The name the system reports, empty when the query writes nothing. The buffer starts out as
// NULs, so a failed query leaves a terminator at its start; the result code is not needed.
std::wstring QueryUserName(WinApi& api) {
    std::wstring buffer(kUserNameBufferSize, L'\0');
    std::uint32_t size = kUserNameBufferSize;
    api.GetUserNameA(buffer, size);
    return base::BeforeFirstNul(buffer);
}

}  // namespace

void GetLoginName(WinApi& api, std::wstring& userName) {
    userName = QueryUserName(api);
    if (userName.empty()) {
        userName = L"Default";
    }
}

// The work text starts as spaces: a query that writes nothing leaves no NUL in it, and then
// nothing is changed. The whole path the system wrote is kept, up to the path limit, since a
// shortened folder name would name another folder.
void GetLoginName(WinApi& api, Handle owner, std::wstring& profileDir, std::wstring& userName) {
    std::wstring work(kMaxPath, L' ');
    api.SHGetFolderPathA(owner, kCsidlProfile, kCurrentUserToken, kFolderTypeCurrent, work);
    const std::size_t end = work.find(L'\0');
    if (end == std::wstring::npos) {
        return;
    }
    profileDir = work.substr(0, end);
    userName = QueryUserName(api);
}

}  // namespace services
