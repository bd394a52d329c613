#include "toolkit/win32/SendKeys.h"

#include <windows.h>

#include <vector>

namespace tk::win32 {
namespace {

INPUT KeyInput(WORD vk, WORD scan, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = scan;
    input.ki.dwFlags = flags;
    return input;
}

}  // namespace

void SendKeySequence(const std::wstring& keys) {
    std::vector<INPUT> inputs;
    for (const wchar_t c : keys) {
        if (c == L'+') {
            inputs.push_back(KeyInput(VK_SHIFT, 0, 0));
            inputs.push_back(KeyInput(VK_SHIFT, 0, KEYEVENTF_KEYUP));
        } else {
            // As Unicode input, the character arrives whatever the keyboard layout.
            inputs.push_back(KeyInput(0, c, KEYEVENTF_UNICODE));
            inputs.push_back(KeyInput(0, c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
        }
    }
    if (!inputs.empty()) {
        ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    }
}

}  // namespace tk::win32
