// The logged-on user's name and, for the setup program, the user's profile folder.
#pragma once

#include <string>

#include "services/WinApi.h"

namespace services {

// The name the chooser uses for its per-user files: the login name, or "Default" when the
// system gives none, so the result is never empty.
void GetLoginName(WinApi& api, std::wstring& userName);

// The setup program's form: the profile folder of the current user (owner window `owner` for
// any dialog the system shows), then the login name, empty when the system gives none.
// When the profile query writes no terminated path, both texts keep their previous contents.
void GetLoginName(WinApi& api, Handle owner, std::wstring& profileDir, std::wstring& userName);

}  // namespace services
