// Push buttons and check boxes.
#include <windows.h>

#include <commctrl.h>

#include "base/win32/Handles.h"
#include "base/win32/WinCalls.h"
#include "toolkit/win32/ControlWindow.h"
#include "toolkit/win32/FormWindow.h"

namespace tk::win32 {
namespace {

// Draws a window without the visual style: a caption-less button then is the plain raised
// face in the system's button colour, as the forms' panels and the labels on them expect.
// uxtheme is looked up at run time: systems without visual styles have none.
void UseClassicLook(HWND window) {
    using SetThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    const HMODULE theme = base::win32::GetModuleHandleT(L"uxtheme.dll");
    if (!theme) return;  // not loaded: the common controls draw without styles anyway
    const auto setTheme =
        reinterpret_cast<SetThemeFn>(reinterpret_cast<void*>(::GetProcAddress(theme, "SetWindowTheme")));
    if (setTheme) setTheme(window, L" ", L" ");
}

class ButtonWindow final : public ControlWindow {
public:
    ButtonWindow(FormWindow& form, Button& button) : ControlWindow(form, button), button_(button) {
        CreateFor(L"BUTTON", button.Caption(), PushStyle(), 0);
        if (hwnd() && button.Caption().empty()) UseClassicLook(hwnd());
    }

    void OnCommand(WORD code) override {
        if (code == BN_CLICKED) button_.OnUserPress();  // last: may unload the form
    }

    HBRUSH OnCtlColor(HDC) override { return ParentBackBrush(); }

protected:
    void Refresh(Change what) override {
        if (what == Change::Caption) {
            base::win32::SetWindowTextT(hwnd(), button_.Caption());
        } else if (what == Change::Flags) {
            base::win32::SendMessageT(hwnd(), BM_SETSTYLE, PushStyle(), TRUE);
        }
    }

private:
    DWORD PushStyle() const { return button_.IsDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON; }

    Button& button_;
};

// The box shows the model's value only: a plain (not automatic) check box does not toggle
// itself, so a toggle the model ignores leaves the box as it was.
class CheckBoxWindow final : public ControlWindow {
public:
    CheckBoxWindow(FormWindow& form, CheckBox& box) : ControlWindow(form, box), box_(box) {
        CreateFor(L"BUTTON", box.Caption(), BS_CHECKBOX, 0);
        Refresh(Change::Selection);
        Refresh(Change::Flags);
    }

    ~CheckBoxWindow() override { tip_.Reset(); }

    void OnCommand(WORD code) override {
        if (code == BN_CLICKED) box_.OnUserToggle();  // last: may unload the form
    }

    HBRUSH OnCtlColor(HDC dc) override {
        // The caption in the scheme's text colour (the DC's default is black, whatever the
        // scheme), on the colour of what lies behind.
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
        ::SetBkColor(dc, ParentBackColor());
        return ParentBackBrush();
    }

    HWND ToolTipWindow() const { return tip_.Get(); }

protected:
    void Refresh(Change what) override {
        if (what == Change::Caption) {
            base::win32::SetWindowTextT(hwnd(), box_.Caption());
        } else if (what == Change::Selection) {
            base::win32::SendMessageT(hwnd(), BM_SETCHECK, box_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
        } else if (what == Change::Flags) {
            UpdateToolTip();
        }
    }

private:
    TTTOOLINFOW ToolInfo() const {
        TTTOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the tool-tip class
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = ::GetParent(hwnd());
        info.uId = reinterpret_cast<UINT_PTR>(hwnd());
        return info;
    }

    void UpdateToolTip() {
        if (!hwnd()) return;
        const std::wstring& text = box_.ToolTip();
        if (text.empty()) {
            tip_.Reset();
            return;
        }
        const TTTOOLINFOW info = ToolInfo();
        if (!tip_) {
            tip_.Reset(base::win32::CreateWindowExT(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                         WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                         form().hwnd(), nullptr, base::win32::GetModuleHandleT(nullptr),
                                         nullptr));
            if (!tip_) return;
            base::win32::SendToolInfoT(tip_.Get(), true, info, text);
        } else {
            base::win32::SendToolInfoT(tip_.Get(), false, info, text);
        }
    }

    CheckBox& box_;
    UniqueWindow tip_;
};

}  // namespace

std::unique_ptr<ControlPeer> MakeButtonPeer(FormWindow& form, Button& button) {
    return std::make_unique<ButtonWindow>(form, button);
}

std::unique_ptr<ControlPeer> MakeCheckBoxPeer(FormWindow& form, CheckBox& box) {
    return std::make_unique<CheckBoxWindow>(form, box);
}

}  // namespace tk::win32
