// Keys sent to the active window as if typed: "+" is a press of the Shift key by itself; every
// other character is typed as itself.
#pragma once

#include <string>

namespace tk::win32 {

void SendKeySequence(const std::wstring& keys);

}  // namespace tk::win32
