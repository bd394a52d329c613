#include "toolkit/win32/SendKeys.h"

#include <windows.h>

#include <cwctype>

namespace tk::win32 {
namespace {

struct NamedKey {
    const wchar_t* name;
    std::uint16_t vk;
};

constexpr NamedKey kNamedKeys[] = {
    {L"ENTER", VK_RETURN},   {L"ESC", VK_ESCAPE},     {L"ESCAPE", VK_ESCAPE},
    {L"TAB", VK_TAB},        {L"BS", VK_BACK},        {L"BKSP", VK_BACK},
    {L"BACKSPACE", VK_BACK}, {L"DEL", VK_DELETE},     {L"DELETE", VK_DELETE},
    {L"INS", VK_INSERT},     {L"INSERT", VK_INSERT},  {L"HOME", VK_HOME},
    {L"END", VK_END},        {L"PGUP", VK_PRIOR},     {L"PGDN", VK_NEXT},
    {L"UP", VK_UP},          {L"DOWN", VK_DOWN},      {L"LEFT", VK_LEFT},
    {L"RIGHT", VK_RIGHT},    {L"HELP", VK_HELP},      {L"BREAK", VK_CANCEL},
    {L"CAPSLOCK", VK_CAPITAL}, {L"NUMLOCK", VK_NUMLOCK}, {L"SCROLLLOCK", VK_SCROLL},
    {L"PRTSC", VK_SNAPSHOT},
};

std::uint16_t ModifierKey(wchar_t c) {
    switch (c) {
        case L'+': return VK_SHIFT;
        case L'^': return VK_CONTROL;
        case L'%': return VK_MENU;
        default: return 0;
    }
}

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return text;
}

class Parser {
public:
    explicit Parser(const std::wstring& keys) : keys_(keys) {}

    std::vector<KeyAction> Run() {
        ParseSequence(false);
        if (pos_ < keys_.size()) Fail("unbalanced parenthesis");
        return std::move(out_);
    }

private:
    [[noreturn]] static void Fail(const char* what) {
        throw std::invalid_argument(std::string("key sequence: ") + what);
    }

    void Tap(std::uint16_t vk, int times = 1) {
        for (int i = 0; i < times; ++i) {
            out_.push_back({KeyAction::Type::Down, vk, 0});
            out_.push_back({KeyAction::Type::Up, vk, 0});
        }
    }
    void Type(wchar_t c, int times = 1) {
        for (int i = 0; i < times; ++i) out_.push_back({KeyAction::Type::Char, 0, c});
    }

    // Items up to the end, or up to the closing parenthesis of a group.
    void ParseSequence(bool inGroup) {
        while (pos_ < keys_.size()) {
            if (keys_[pos_] == L')') {
                if (!inGroup) Fail("unbalanced parenthesis");
                return;
            }
            ParseItem();
        }
        if (inGroup) Fail("unbalanced parenthesis");
    }

    void ParseItem() {
        const wchar_t c = keys_[pos_];
        if (const std::uint16_t modifier = ModifierKey(c)) {
            ++pos_;
            out_.push_back({KeyAction::Type::Down, modifier, 0});
            if (pos_ < keys_.size() && keys_[pos_] != L')') ParseItem();
            out_.push_back({KeyAction::Type::Up, modifier, 0});
            return;
        }
        if (c == L'(') {
            ++pos_;
            ParseSequence(true);
            ++pos_;  // the closing parenthesis
            return;
        }
        if (c == L'{') {
            ParseBraces();
            return;
        }
        if (c == L'}') Fail("unbalanced brace");
        ++pos_;
        if (c == L'~') {
            Tap(VK_RETURN);
        } else {
            Type(c);
        }
    }

    // "{name}", "{name count}"; the name may be one character of the notation, "}" included.
    void ParseBraces() {
        const std::size_t start = pos_ + 1;
        // "{}}" quotes a closing brace: the first character after "{" is always part of the name.
        std::size_t close = keys_.find(L'}', start + 1);
        if (start >= keys_.size() || close == std::wstring::npos) Fail("unbalanced brace");
        std::wstring body = keys_.substr(start, close - start);
        pos_ = close + 1;

        int count = 1;
        const std::size_t blank = body.find(L' ', 1);
        if (blank != std::wstring::npos) {
            const std::wstring number = body.substr(blank + 1);
            if (number.empty() || number.size() > 4) Fail("bad repeat count");
            count = 0;
            for (wchar_t d : number) {
                if (d < L'0' || d > L'9') Fail("bad repeat count");
                count = count * 10 + (d - L'0');
            }
            body.erase(blank);
        }
        if (body.size() == 1) {
            Type(body[0], count);
            return;
        }
        const std::wstring name = Upper(body);
        for (const NamedKey& key : kNamedKeys) {
            if (name == key.name) {
                Tap(key.vk, count);
                return;
            }
        }
        if (name.size() >= 2 && name[0] == L'F') {
            int n = 0;
            for (std::size_t i = 1; i < name.size(); ++i) {
                if (name[i] < L'0' || name[i] > L'9') Fail("unknown key name");
                n = n * 10 + (name[i] - L'0');
            }
            if (n >= 1 && n <= 16) {
                Tap(static_cast<std::uint16_t>(VK_F1 + n - 1), count);
                return;
            }
        }
        Fail("unknown key name");
    }

    const std::wstring& keys_;
    std::size_t pos_ = 0;
    std::vector<KeyAction> out_;
};

INPUT KeyInput(WORD vk, WORD scan, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = scan;
    input.ki.dwFlags = flags;
    return input;
}

}  // namespace

std::vector<KeyAction> ParseKeys(const std::wstring& keys) { return Parser(keys).Run(); }

void SendKeyActions(const std::vector<KeyAction>& actions) {
    std::vector<INPUT> inputs;
    bool shiftHeld = false;
    for (const KeyAction& action : actions) {
        switch (action.type) {
            case KeyAction::Type::Down:
                if (action.vk == VK_SHIFT) shiftHeld = true;
                inputs.push_back(KeyInput(action.vk, 0, 0));
                break;
            case KeyAction::Type::Up:
                if (action.vk == VK_SHIFT) shiftHeld = false;
                inputs.push_back(KeyInput(action.vk, 0, KEYEVENTF_KEYUP));
                break;
            case KeyAction::Type::Char: {
                const SHORT scan = ::VkKeyScanW(action.ch);
                const bool mapped = scan != -1 && (HIBYTE(scan) & ~1) == 0;
                if (!mapped) {
                    inputs.push_back(KeyInput(0, action.ch, KEYEVENTF_UNICODE));
                    inputs.push_back(KeyInput(0, action.ch, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
                    break;
                }
                const WORD vk = LOBYTE(scan);
                const bool needShift = (HIBYTE(scan) & 1) != 0 && !shiftHeld;
                if (needShift) inputs.push_back(KeyInput(VK_SHIFT, 0, 0));
                inputs.push_back(KeyInput(vk, 0, 0));
                inputs.push_back(KeyInput(vk, 0, KEYEVENTF_KEYUP));
                if (needShift) inputs.push_back(KeyInput(VK_SHIFT, 0, KEYEVENTF_KEYUP));
                break;
            }
        }
    }
    if (!inputs.empty()) {
        ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    }
}

}  // namespace tk::win32
