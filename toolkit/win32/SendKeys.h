// Key sequences in the usual notation, turned into keyboard input for the active window:
// letters and other characters stand for themselves; "+", "^" and "%" hold Shift, Ctrl and Alt
// for the next key or parenthesised group (alone at the end, the modifier is pressed and
// released by itself); "~" is Enter; braces name a key ("{ENTER}", "{ESC}", "{TAB}", "{F5}",
// "{LEFT}", ...), repeat one ("{TAB 3}") or quote a character of the notation ("{+}", "{(}").
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tk::win32 {

struct KeyAction {
    enum class Type { Down, Up, Char };
    Type type;
    std::uint16_t vk = 0;  // Down, Up: the virtual-key code
    wchar_t ch = 0;        // Char: the character typed
    bool operator==(const KeyAction& o) const {
        return type == o.type && vk == o.vk && ch == o.ch;
    }
};

// Throws std::invalid_argument for a sequence that is not well formed (an unknown key name,
// an unbalanced brace or parenthesis).
std::vector<KeyAction> ParseKeys(const std::wstring& keys);

// Sends the parsed sequence with SendInput. Characters are typed with the key of the current
// keyboard layout that produces them, or as Unicode input when none does.
void SendKeyActions(const std::vector<KeyAction>& actions);

}  // namespace tk::win32
