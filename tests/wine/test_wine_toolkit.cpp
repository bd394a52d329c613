// The Win32 backend with real windows, in this process (run under Wine): what each control
// becomes, sizes at the screen's resolution, selection and key handling, timers through the
// message loop, a form that unloads itself from its own handler, and painting.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/win32/Handles.h"
#include "toolkit/App.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/Platform.h"
#include "toolkit/win32/AppIdentity.h"
#include "toolkit/win32/ControlWindow.h"
#include "toolkit/win32/Dpi.h"

namespace {

using tk::RectTwips;
using tk::win32::ControlWindow;

HWND WindowOf(const tk::Control& control) {
    auto* peer = dynamic_cast<ControlWindow*>(control.Peer());
    return peer ? peer->hwnd() : nullptr;
}

HWND WindowOf(const tk::Form& form) { return reinterpret_cast<HWND>(form.Hwnd()); }

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

LONG_PTR StyleOf(HWND window) { return ::GetWindowLongPtrW(window, GWL_STYLE); }
LONG_PTR ExStyleOf(HWND window) { return ::GetWindowLongPtrW(window, GWL_EXSTYLE); }

int Px(int twips) { return ::MulDiv(twips, tk::win32::ScreenDpi(), 1440); }

// Runs the message loop until `done` holds or `ms` have passed; true when it held.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = 2000) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > ms) return false;
        tk::DoEvents();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

tk::FormStyle TestStyle() {
    tk::FormStyle style;
    style.caption = L"Toolkit test form";
    style.border = tk::BorderStyle::FixedSingle;
    style.clientWidth = 6000;
    style.clientHeight = 3600;
    return style;
}

// One control of every kind, registered in the order a form of the programs would use: the
// picture box before the label inside it, the caption-less panel last.
class AllControlsForm : public tk::Form {
public:
    explicit AllControlsForm(tk::FormStyle style = TestStyle())
        : Form(L"frmAll", style),
          list(*this, L"lstItems", {120, 120, 2000, 1500}),
          cmdSave(*this, L"cmdSave", L"&Save", {2280, 120, 1200, 375}),
          cmdCancel(*this, L"cmdCancel", L"Cancel", {2280, 600, 1200, 375}),
          cmdOther(*this, L"cmdOther", L"&Other", {2280, 1080, 1200, 375}),
          chk(*this, L"chkOption", L"Set &Random", {120, 1740, 2000, 255}),
          pic(*this, L"picBox", {3600, 120, 1500, 1200}),
          lblInPic(*this, L"lblInPic", L"", {120, 120, 900, 255}, &pic),
          lblRight(*this, L"lblRight", L"0", {120, 2100, 2000, 255}),
          bar(*this, L"barLoad", {120, 2460, 2000, 255}),
          files(*this, L"File1", L"*.exe;*.ini", {3600, 1440, 1500, 900}),
          dir(*this, L"dirPath", {3600, 2400, 2300, 1100}),
          shape(*this, L"Shape1", {0, 0, 6000, 3600}),
          timer(*this, L"Timer1", 50),
          panel(*this, L"Command1", L"", {15, 15, 5985, 3585}) {
        cmdSave.SetDefault(true);
        cmdCancel.SetCancel(true);
        chk.SetToolTip(L"Changes the wallpaper at logon.");
        lblRight.SetAlignment(tk::Align::Right);
        panel.SetEnabled(false);
        panel.SetTabStop(false);
        int tab = 0;
        for (tk::Control* c : {static_cast<tk::Control*>(&list), static_cast<tk::Control*>(&cmdSave),
                               static_cast<tk::Control*>(&cmdCancel),
                               static_cast<tk::Control*>(&cmdOther), static_cast<tk::Control*>(&chk),
                               static_cast<tk::Control*>(&files), static_cast<tk::Control*>(&dir)}) {
            c->SetTabIndex(tab++);
        }
        panel.SetTabIndex(tab);
        for (const wchar_t* item : {L"(None)", L"a.jpg", L"b.gif", L"c.bmp", L"d.dib"}) {
            list.AddItem(item);
        }
        cmdSave.Click = [this] { ++saves; };
        cmdCancel.Click = [this] { ++cancels; };
        cmdOther.Click = [this] { ++others; };
        list.Click = [this] { ++listClicks; };
        chk.Click = [this] { ++checkClicks; };
    }

    tk::ListBox list;
    tk::Button cmdSave, cmdCancel, cmdOther;
    tk::CheckBox chk;
    tk::PictureBox pic;
    tk::Label lblInPic, lblRight;
    tk::ProgressBar bar;
    tk::FileListBox files;
    tk::DirListBox dir;
    tk::Shape shape;
    tk::Timer timer;
    tk::Button panel;
    int saves = 0, cancels = 0, others = 0, listClicks = 0, checkClicks = 0;
};

// Every test leaves no form loaded behind it.
class ToolkitTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (form && form->IsLoaded()) form->Unload();
        form.reset();
        tk::Screen::SetMousePointer(tk::kPointerDefault);
        PumpFor(10);
        EXPECT_EQ(tk::LoadedFormCount(), 0);
    }
    AllControlsForm& Make(tk::FormStyle style = TestStyle()) {
        form = std::make_unique<AllControlsForm>(style);
        return *form;
    }
    std::unique_ptr<AllControlsForm> form;
};

// --- Windows and styles -----------------------------------------------------------------------

using ToolkitForm = ToolkitTest;

struct ToolTipSearch {
    HWND owner;
    HWND tip;
};

BOOL CALLBACK FindToolTip(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ToolTipSearch*>(data);
    if (ClassOf(window) == L"tooltips_class32" && ::GetWindow(window, GW_OWNER) == search->owner) {
        search->tip = window;
    }
    return TRUE;
}

TEST_F(ToolkitForm, EachControlBecomesAWindowOfItsKind) {
    AllControlsForm& f = Make();
    f.Load();
    ASSERT_TRUE(::IsWindow(WindowOf(f)));
    EXPECT_FALSE(::IsWindowVisible(WindowOf(f))) << "a loaded form stays hidden until shown";
    EXPECT_EQ(f.cmdSave.Peer(), nullptr) << "controls get their windows when first shown";
    EXPECT_EQ(::GetWindow(WindowOf(f), GW_CHILD), nullptr);
    f.Show();

    EXPECT_EQ(ClassOf(WindowOf(f.cmdSave)), L"Button");
    EXPECT_EQ(StyleOf(WindowOf(f.cmdSave)) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(StyleOf(WindowOf(f.cmdCancel)) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(StyleOf(WindowOf(f.chk)) & BS_TYPEMASK, BS_CHECKBOX);
    EXPECT_EQ(ClassOf(WindowOf(f.list)), L"ListBox");
    EXPECT_TRUE(StyleOf(WindowOf(f.list)) & LBS_NOTIFY);
    EXPECT_FALSE(StyleOf(WindowOf(f.list)) & LBS_SORT) << "items keep the order they were added";
    EXPECT_EQ(::SendMessageW(WindowOf(f.list), LB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(ClassOf(WindowOf(f.bar)), L"msctls_progress32");
    EXPECT_EQ(ClassOf(WindowOf(f.pic)), L"TkPictureBox");
    EXPECT_TRUE(ExStyleOf(WindowOf(f.pic)) & WS_EX_CLIENTEDGE) << "a bordered box is sunken";
    EXPECT_EQ(::GetParent(WindowOf(f.lblInPic)), WindowOf(f.pic));
    EXPECT_EQ(::GetParent(WindowOf(f.lblRight)), WindowOf(f));
    EXPECT_FALSE(::IsWindowEnabled(WindowOf(f.panel)));
    EXPECT_FALSE(StyleOf(WindowOf(f.panel)) & WS_TABSTOP);
    EXPECT_EQ(f.shape.Peer() != nullptr, true);
    EXPECT_EQ(WindowOf(f.shape), nullptr) << "a shape is drawn by its form";
    EXPECT_EQ(WindowOf(f.timer), nullptr);

    // The check box's tool tip: a tool-tip window owned by the form, holding the text.
    ToolTipSearch search{WindowOf(f), nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), FindToolTip, reinterpret_cast<LPARAM>(&search));
    ASSERT_NE(search.tip, nullptr);
    EXPECT_EQ(::SendMessageW(search.tip, TTM_GETTOOLCOUNT, 0, 0), 1);

    // Stacking: the form's children from the top are in the order of registration, so the
    // panel registered last lies behind every other control.
    std::vector<HWND> stack;
    for (HWND w = ::GetWindow(WindowOf(f), GW_CHILD); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
        stack.push_back(w);
    }
    ASSERT_FALSE(stack.empty());
    EXPECT_EQ(stack.back(), WindowOf(f.panel));
    EXPECT_EQ(stack.front(), WindowOf(f.list));
}

// Labels are the system's static controls to screen readers: of that class, and named by their
// caption. (The static-text role and the naming of the control that follows come from the
// system's own proxy for that class, which Wine does not have: it reports a plain client.)
TEST_F(ToolkitForm, LabelsAreStaticTextToScreenReaders) {
    AllControlsForm& f = Make();
    f.lblRight.SetCaption(L"Number of images:");
    f.Show();
    const HWND label = WindowOf(f.lblRight);
    wchar_t real[64] = {};
    ::RealGetWindowClassW(label, real, 64);
    EXPECT_STREQ(real, L"Static");
    base::win32::ComPtr<IAccessible> accessible;
    ASSERT_EQ(::AccessibleObjectFromWindow(label, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                           accessible.PutVoid()),
              S_OK);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    ASSERT_EQ(accessible->get_accName(self, &name), S_OK);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::wstring(name), L"Number of images:");
    ::SysFreeString(name);
}

TEST_F(ToolkitForm, BorderStylesGiveTheirFramesAndTaskbarChoice) {
    tk::FormStyle sizable = TestStyle();
    sizable.border = tk::BorderStyle::Sizable;
    sizable.minButton = true;
    AllControlsForm& a = Make(sizable);
    a.Load();
    EXPECT_EQ(ClassOf(WindowOf(a)), L"TkFormSizable");
    EXPECT_TRUE(StyleOf(WindowOf(a)) & WS_THICKFRAME);
    EXPECT_TRUE(StyleOf(WindowOf(a)) & WS_MINIMIZEBOX);
    EXPECT_FALSE(StyleOf(WindowOf(a)) & WS_MAXIMIZEBOX);
    EXPECT_EQ(::GetWindow(WindowOf(a), GW_OWNER), nullptr) << "listed in the taskbar";
    a.Unload();

    tk::FormStyle fixed = TestStyle();
    AllControlsForm& b = Make(fixed);
    b.Load();
    EXPECT_EQ((StyleOf(WindowOf(b)) & WS_CAPTION), WS_CAPTION);
    EXPECT_FALSE(StyleOf(WindowOf(b)) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(StyleOf(WindowOf(b)) & WS_SYSMENU);
    b.Unload();

    tk::FormStyle tool = TestStyle();
    tool.border = tk::BorderStyle::FixedToolWindow;
    AllControlsForm& c = Make(tool);
    c.Load();
    EXPECT_TRUE(ExStyleOf(WindowOf(c)) & WS_EX_TOOLWINDOW);
    c.Unload();

    tk::FormStyle plain = TestStyle();
    plain.border = tk::BorderStyle::None;
    plain.showInTaskbar = false;
    AllControlsForm& d = Make(plain);
    d.Load();
    EXPECT_TRUE(StyleOf(WindowOf(d)) & WS_POPUP);
    EXPECT_FALSE(StyleOf(WindowOf(d)) & WS_CAPTION);
    const HWND owner = ::GetWindow(WindowOf(d), GW_OWNER);
    ASSERT_NE(owner, nullptr) << "owned by a hidden window, so not in the taskbar";
    EXPECT_FALSE(::IsWindowVisible(owner));
}

TEST_F(ToolkitForm, SizesAreTwipsAtTheScreenResolution) {
    const int dpi = tk::win32::ScreenDpi();
    EXPECT_EQ(tk::CurrentPlatform().windows.Dpi(), dpi);
    EXPECT_EQ(tk::CurrentPlatform().windows.ScreenSize().width, ::GetSystemMetrics(SM_CXSCREEN));

    for (tk::BorderStyle border : {tk::BorderStyle::FixedSingle, tk::BorderStyle::Sizable,
                                   tk::BorderStyle::None, tk::BorderStyle::FixedToolWindow}) {
        tk::FormStyle style = TestStyle();
        style.border = border;
        AllControlsForm& f = Make(style);
        f.Load();
        RECT client{};
        ::GetClientRect(WindowOf(f), &client);
        EXPECT_EQ(client.right, Px(6000)) << "border " << int(border);
        EXPECT_EQ(client.bottom, Px(3600)) << "border " << int(border);
        RECT outer{};
        ::GetWindowRect(WindowOf(f), &outer);
        EXPECT_EQ(f.Peer()->OuterSize().width, outer.right - outer.left);
        f.Unload();
    }

    AllControlsForm& f = Make();
    f.Show();
    // Controls: twips relative to their container, the picture box's inner area for a label.
    RECT r{};
    ::GetWindowRect(WindowOf(f.cmdOther), &r);
    ::MapWindowPoints(nullptr, WindowOf(f), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, Px(2280));
    EXPECT_EQ(r.top, Px(1080));
    EXPECT_EQ(r.right - r.left, Px(1200));
    EXPECT_EQ(r.bottom - r.top, Px(375));
    ::GetWindowRect(WindowOf(f.lblInPic), &r);
    ::MapWindowPoints(nullptr, WindowOf(f.pic), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, Px(120));
    EXPECT_EQ(r.top, Px(120));
    RECT inner{};
    ::GetClientRect(WindowOf(f.pic), &inner);
    EXPECT_EQ(inner.right, f.pic.InnerPixels().width);
    EXPECT_EQ(inner.bottom, f.pic.InnerPixels().height);

    f.cmdOther.Move({300, 2700, 900, 300});
    ::GetWindowRect(WindowOf(f.cmdOther), &r);
    ::MapWindowPoints(nullptr, WindowOf(f), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, Px(300));
    EXPECT_EQ(r.right - r.left, Px(900));
}

TEST_F(ToolkitForm, ShowHideCaptionMoveAndUnload) {
    AllControlsForm& f = Make();
    const int before = tk::LoadedFormCount();
    f.Show();
    EXPECT_EQ(tk::LoadedFormCount(), before + 1);
    const HWND window = WindowOf(f);
    EXPECT_TRUE(::IsWindowVisible(window));
    f.SetCaption(L"Renamed");
    wchar_t text[32] = {};
    ::GetWindowTextW(window, text, 32);
    EXPECT_STREQ(text, L"Renamed");
    f.Peer()->MoveTo({40, 30});
    EXPECT_EQ(f.Peer()->Position().x, 40);
    EXPECT_EQ(f.Peer()->Position().y, 30);
    f.lblRight.SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(WindowOf(f.lblRight)));
    f.cmdOther.SetEnabled(false);
    EXPECT_FALSE(::IsWindowEnabled(WindowOf(f.cmdOther)));
    f.Hide();
    EXPECT_FALSE(::IsWindowVisible(window));
    f.Unload();
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(tk::LoadedFormCount(), before);
}

// A form with a list and a button, as the picture browser has (no tool tip: Wine keeps a window
// that owns a topmost tool tip out of the topmost band).
class PlainForm : public tk::Form {
public:
    PlainForm()
        : Form(L"frmPlain", TestStyle()),
          list(*this, L"lstItems", {120, 120, 2000, 1500}),
          cmdOk(*this, L"cmdOk", L"OK", {2280, 120, 1200, 375}) {}
    tk::ListBox list;
    tk::Button cmdOk;
};

// A hidden form made topmost with the show flag (as a form does in its load handler before it
// hides itself) is placed and restacked but never shown; once shown, the flag works as usual.
TEST_F(ToolkitForm, PlacementWithTheShowFlagLeavesAHiddenFormHidden) {
    PlainForm f;
    f.Load();
    const HWND window = WindowOf(f);
    ASSERT_TRUE(::IsWindow(window));
    const UINT flags = SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW;
    ASSERT_TRUE(::SetWindowPos(window, HWND_TOPMOST, 70, 50, 0, 0, flags));
    EXPECT_FALSE(::IsWindowVisible(window)) << "the show flag put a hidden form on the screen";
    PumpFor(30);
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_TRUE(ExStyleOf(window) & WS_EX_TOPMOST) << "the restacking still happens";
    RECT r{};
    ::GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 70);
    EXPECT_EQ(r.top, 50);

    f.Show();
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_TRUE(ExStyleOf(window) & WS_EX_TOPMOST) << "shown, it is in front of ordinary windows";
    f.Hide();
    ASSERT_FALSE(::IsWindowVisible(window));
    ::SetWindowPos(window, HWND_TOPMOST, 90, 60, 0, 0, flags);
    EXPECT_FALSE(::IsWindowVisible(window)) << "hidden again by the program, it stays hidden";
    // Shown, then centred and made topmost as the choice window is: it stays on the screen.
    f.Show();
    ::SetWindowPos(window, HWND_TOPMOST, 90, 60, 0, 0, flags);
    EXPECT_TRUE(::IsWindowVisible(window));
    ::GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 90);
    f.Unload();
}

// A loaded form that is only measured, moved and given calls on its handle makes no window:
// the calls wait for it, and the window is made where and as large as the form said.
class PlacedForm : public tk::Form {
public:
    explicit PlacedForm(tk::FormStyle style)
        : Form(L"frmPlaced", std::move(style)), cmdOk(*this, L"cmdOk", L"OK", {120, 120, 1200, 375}) {}
    tk::Button cmdOk;
};

TEST_F(ToolkitForm, PlacingAHiddenFormWaitsForItsWindow) {
    tk::FormStyle style = TestStyle();
    style.caption = L"Placed before it exists";
    PlacedForm g(style);
    g.Load();
    const tk::SizePx planned = g.Peer()->OuterSize();
    g.Peer()->MoveTo({70, 50});
    EXPECT_EQ(g.Peer()->Position().x, 70);
    std::vector<HWND> seen;
    g.WithWindow([&seen](tk::WindowHandle h) {
        const HWND window = reinterpret_cast<HWND>(h);
        seen.push_back(window);
        ::SetWindowRgn(window, ::CreateRectRgn(3, 22, 100, 80), TRUE);
        ::SetWindowPos(window, HWND_TOPMOST, 70, 50, 0, 0,
                       SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    });
    g.Hide();
    PumpFor(20);
    EXPECT_TRUE(seen.empty()) << "the calls ran on a window nobody needed";
    EXPECT_EQ(::FindWindowW(nullptr, style.caption.c_str()), nullptr) << "a window was made";

    g.Show();
    const HWND window = ::FindWindowW(nullptr, style.caption.c_str());
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], window);
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_TRUE(ExStyleOf(window) & WS_EX_TOPMOST);
    RECT r{};
    ::GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 70);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(r.right - r.left, planned.width);
    EXPECT_EQ(r.bottom - r.top, planned.height);
    RECT box{};
    EXPECT_EQ(::GetWindowRgnBox(window, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 100);
    // Once the window exists, a call runs at once.
    g.WithWindow([&seen](tk::WindowHandle h) { seen.push_back(reinterpret_cast<HWND>(h)); });
    EXPECT_EQ(seen.size(), 2u);
    g.Unload();
}

TEST_F(ToolkitForm, MaximizedFramelessFormCoversTheScreenInBlack) {
    tk::FormStyle style = TestStyle();
    style.border = tk::BorderStyle::None;
    style.windowState = tk::WindowState::Maximized;
    style.backColor = tk::kBlack;
    style.showInTaskbar = false;
    AllControlsForm& f = Make(style);
    f.Show();
    PumpFor(50);
    RECT r{};
    ::GetWindowRect(WindowOf(f), &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom, ::GetSystemMetrics(SM_CYSCREEN));

    // The background the form erases to.
    base::win32::WindowDc screen(nullptr);
    base::win32::UniqueMemoryDc memory(::CreateCompatibleDC(screen.Get()));
    base::win32::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.Get(), 8, 8));
    base::win32::SelectScope use(memory.Get(), bitmap.Get());
    ::SendMessageW(WindowOf(f), WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.Get()), 0);
    EXPECT_EQ(::GetPixel(memory.Get(), 4, 4), RGB(0, 0, 0));
}

// --- Lists and check boxes ---------------------------------------------------------------------

using ToolkitList = ToolkitTest;

TEST_F(ToolkitList, SelectionFromCodeRaisesClickOnceAndIsNotEchoed) {
    AllControlsForm& f = Make();
    f.Show();
    f.list.SetListIndex(2);
    EXPECT_EQ(f.listClicks, 1);
    EXPECT_EQ(::SendMessageW(WindowOf(f.list), LB_GETCURSEL, 0, 0), 2);
    PumpFor(30);
    EXPECT_EQ(f.listClicks, 1) << "the list box must not report the program's own selection";
    f.list.SetListIndex(-1);
    EXPECT_EQ(::SendMessageW(WindowOf(f.list), LB_GETCURSEL, 0, 0), LB_ERR);
    f.list.Clear();
    EXPECT_EQ(::SendMessageW(WindowOf(f.list), LB_GETCOUNT, 0, 0), 0);
    f.list.AddItem(L"only");
    EXPECT_EQ(::SendMessageW(WindowOf(f.list), LB_GETCOUNT, 0, 0), 1);
}

TEST_F(ToolkitList, HiddenListHoldsItsStringsOnlyOnceShown) {
    AllControlsForm& f = Make();
    f.Show();
    f.list.SetVisible(false);
    f.list.AddItem(L"e.jpg");
    f.list.SetListIndex(5);
    EXPECT_EQ(::SendMessageW(WindowOf(f.list), LB_GETCOUNT, 0, 0), 0)
        << "a hidden list is not filled";
    f.list.SetVisible(true);
    EXPECT_EQ(::SendMessageW(WindowOf(f.list), LB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(::SendMessageW(WindowOf(f.list), LB_GETCURSEL, 0, 0), 5);
    EXPECT_EQ(f.list.ListCount(), 6) << "the model keeps every item meanwhile";
}

TEST_F(ToolkitList, UserSelectionReachesTheModel) {
    AllControlsForm& f = Make();
    f.Show();
    const HWND list = WindowOf(f.list);
    // As the list box itself reports a change.
    ::SendMessageW(list, LB_SETCURSEL, 3, 0);
    ::SendMessageW(WindowOf(f), WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(f.list.ListIndex(), 3);
    EXPECT_EQ(f.listClicks, 1);

    // A mouse click on an item, handled by the list box.
    RECT item{};
    ::SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(list, WM_LBUTTONUP, 0, at);
    PumpFor(20);
    EXPECT_EQ(f.list.ListIndex(), 1);
    EXPECT_EQ(f.listClicks, 2);

    // The arrow key moves the selection, one Click per step.
    ::SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(f.list.ListIndex(), 2);
    EXPECT_EQ(f.listClicks, 3);
}

TEST_F(ToolkitList, CheckBoxShowsTheModelsValue) {
    AllControlsForm& f = Make();
    f.Show();
    const HWND box = WindowOf(f.chk);
    ::SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_TRUE(f.chk.Checked());
    EXPECT_EQ(f.checkClicks, 1);
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    f.chk.SetChecked(false);
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(f.checkClicks, 2);
    // A toggle the model refuses leaves the box as the model has it.
    f.chk.SetVisible(false);
    ::SendMessageW(WindowOf(f), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(box));
    EXPECT_FALSE(f.chk.Checked());
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(ToolkitList, ProgressBarMapsTheModelsRange) {
    AllControlsForm& f = Make();
    f.Show();
    f.bar.SetValue(60);
    const auto pos = ::SendMessageW(WindowOf(f.bar), PBM_GETPOS, 0, 0);
    const auto max = ::SendMessageW(WindowOf(f.bar), PBM_GETRANGE, FALSE, 0);
    EXPECT_EQ(pos * 100 / max, 60);
    f.bar.SetValue(0);
    EXPECT_EQ(::SendMessageW(WindowOf(f.bar), PBM_GETPOS, 0, 0), 0);
}

TEST_F(ToolkitList, FolderListOpensEntriesByDoubleClickAndEnter) {
    AllControlsForm& f = Make();
    int changes = 0;
    f.dir.Change = [&] { ++changes; };
    f.Show();
    f.dir.SetPath(L"C:\\windows");
    ASSERT_EQ(changes, 1);
    const HWND list = WindowOf(f.dir);
    EXPECT_TRUE(StyleOf(list) & LBS_OWNERDRAWFIXED);
    ASSERT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(f.dir.Entries().size()));
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), f.dir.Highlighted()) << "the folder shown";

    int system32 = -1;
    for (std::size_t i = 0; i < f.dir.Entries().size(); ++i) {
        if (_wcsicmp(f.dir.Entries()[i].label.c_str(), L"system32") == 0) system32 = int(i);
    }
    ASSERT_GE(system32, 0);
    // A double-click as the list box reports it.
    ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(system32), 0);
    ::SendMessageW(WindowOf(f), WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(f.dir.Highlighted(), system32);
    EXPECT_EQ(changes, 1) << "moving the highlight opens nothing";
    ::SendMessageW(WindowOf(f), WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(_wcsicmp(f.dir.Path().c_str(), L"C:\\windows\\system32"), 0);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(f.dir.Entries().size()));

    // Enter on the highlighted entry: the root, first in the list.
    f.dir.SetHighlighted(0);
    ASSERT_TRUE(f.dir.SetFocus());
    ::PostMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
    tk::DoEvents();
    EXPECT_EQ(f.dir.Path(), L"C:\\");
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(f.saves, 0) << "Enter in the folder list opens the folder, not the default button";

    f.files.SetPath(L"C:\\windows");
    EXPECT_GT(f.files.ListCount(), 0);
    EXPECT_EQ(::SendMessageW(WindowOf(f.files), LB_GETCOUNT, 0, 0), f.files.ListCount());
}

// --- Keyboard ----------------------------------------------------------------------------------

using ToolkitKeys = ToolkitTest;

void PostKey(HWND window, UINT message, WPARAM key) {
    ::PostMessageW(window, message, key, 1);
    tk::DoEvents();
}

TEST_F(ToolkitKeys, EnterEscTabAndAccessKeys) {
    AllControlsForm& f = Make();
    f.Show();
    PumpFor(20);
    ASSERT_TRUE(f.list.SetFocus());
    EXPECT_EQ(::GetFocus(), WindowOf(f.list));

    PostKey(WindowOf(f.list), WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(f.saves, 1) << "Enter presses the default button";
    PostKey(WindowOf(f.list), WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(f.cancels, 1) << "Esc presses the cancel button";

    // Tab follows the tab order and skips what cannot take the focus.
    PostKey(WindowOf(f.list), WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(::GetFocus(), WindowOf(f.cmdSave));
    EXPECT_EQ(f.ActiveControl(), &f.cmdSave);
    f.cmdCancel.SetEnabled(false);
    PostKey(::GetFocus(), WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(::GetFocus(), WindowOf(f.cmdOther));
    // Enter on a button that is not the default presses that button.
    PostKey(::GetFocus(), WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(f.others, 1);
    EXPECT_EQ(f.saves, 1);

    // Alt+S and Alt+R: the access keys of the caption's "&".
    PostKey(::GetFocus(), WM_SYSCHAR, L's');
    EXPECT_EQ(f.saves, 2);
    PostKey(::GetFocus(), WM_SYSCHAR, L'R');
    EXPECT_TRUE(f.chk.Checked());
    EXPECT_EQ(::GetFocus(), WindowOf(f.chk));
    PostKey(::GetFocus(), WM_SYSCHAR, L'x');
    EXPECT_EQ(f.saves + f.others + f.cancels, 4) << "a key no caption marks presses nothing";
}

TEST_F(ToolkitKeys, HidingTheFocusedControlTakesTheKeysAway) {
    AllControlsForm& f = Make();
    f.Show();
    ASSERT_TRUE(f.list.SetFocus());
    f.list.SetVisible(false);
    EXPECT_NE(::GetFocus(), WindowOf(f.list));
    EXPECT_EQ(f.ActiveControl(), nullptr);
    PostKey(::GetFocus(), WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(f.saves, 1) << "Enter still reaches the form";
}

// A plain window that records the keys it is given.
struct KeyRecorder {
    static inline std::vector<std::pair<UINT, WPARAM>> seen;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_CHAR) seen.emplace_back(msg, wp);
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    base::win32::UniqueWindow window;
    KeyRecorder() {
        seen.clear();
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TkTestKeyRecorder";
        ::RegisterClassW(&wc);
        window.Reset(::CreateWindowExW(0, wc.lpszClassName, L"Key recorder",
                                       WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                                       nullptr, wc.hInstance, nullptr));
    }
    bool Saw(UINT msg, WPARAM key) const {
        return std::find(seen.begin(), seen.end(), std::make_pair(msg, key)) != seen.end();
    }
};

TEST_F(ToolkitKeys, SendKeysWithWaitIsHandledBeforeItReturns) {
    KeyRecorder recorder;
    ASSERT_TRUE(recorder.window);
    ::SetForegroundWindow(recorder.window.Get());
    ::SetFocus(recorder.window.Get());
    PumpFor(50);
    if (::GetForegroundWindow() != recorder.window.Get()) GTEST_SKIP() << "the window is not in front";

    tk::SendKeys(L"+", true);
    EXPECT_TRUE(recorder.Saw(WM_KEYDOWN, VK_SHIFT)) << "Shift pressed before SendKeys returns";
    EXPECT_TRUE(recorder.Saw(WM_KEYUP, VK_SHIFT)) << "and released";
    EXPECT_FALSE(recorder.Saw(WM_CHAR, L'+')) << "\"+\" is the Shift key, not a character";

    KeyRecorder::seen.clear();
    tk::SendKeys(L"x\u00e9", true);
    EXPECT_TRUE(recorder.Saw(WM_CHAR, L'x'));
    EXPECT_TRUE(recorder.Saw(WM_CHAR, L'\u00e9')) << "a character the layout has no key for";
}

// --- Timers, the loop and the end of forms --------------------------------------------------------

using ToolkitLoop = ToolkitTest;

TEST_F(ToolkitLoop, TimerTicksThroughTheMessageLoopAndStops) {
    AllControlsForm& f = Make();
    int ticks = 0;
    f.timer.Tick = [&] { ++ticks; };
    f.Load();
    PumpFor(120);
    EXPECT_EQ(ticks, 0) << "a timer that is not running does not tick";

    const DWORD start = ::GetTickCount();
    f.timer.SetRunning(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }));
    EXPECT_GE(::GetTickCount() - start, 40u) << "not before its interval of 50 ms";

    // A one-shot timer: stopped in its own tick, it ticks once.
    ticks = 0;
    f.timer.Tick = [&] {
        ++ticks;
        f.timer.SetRunning(false);
    };
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }));
    PumpFor(200);
    EXPECT_EQ(ticks, 1);

    // Unloading the form stops its timer.
    f.timer.SetRunning(true);
    f.Unload();
    PumpFor(150);
    EXPECT_EQ(ticks, 1);
}

TEST_F(ToolkitLoop, FormUnloadingItselfInItsOwnHandlersSurvives) {
    // From a button's click: the button's and the form's windows go while their procedures run.
    AllControlsForm& a = Make();
    a.cmdOther.Click = [&] { a.Unload(); };
    a.Show();
    const HWND window = WindowOf(a);
    ::SendMessageW(WindowOf(a.cmdOther), BM_CLICK, 0, 0);
    EXPECT_FALSE(a.IsLoaded());
    EXPECT_FALSE(::IsWindow(window));

    // From Enter through the message pump, with events let through first.
    AllControlsForm& b = Make();
    b.cmdSave.Click = [&] {
        tk::DoEvents();
        b.Unload();
    };
    b.Show();
    ASSERT_TRUE(b.list.SetFocus());
    PostKey(WindowOf(b.list), WM_KEYDOWN, VK_RETURN);
    EXPECT_FALSE(b.IsLoaded());

    // From the close box, and from a timer's tick.
    AllControlsForm& c = Make();
    c.Show();
    ::SendMessageW(WindowOf(c), WM_CLOSE, 0, 0);
    EXPECT_FALSE(c.IsLoaded());

    AllControlsForm& d = Make();
    d.timer.Tick = [&] { d.Unload(); };
    d.timer.SetRunning(true);
    d.Show();
    EXPECT_TRUE(PumpUntil([&] { return !d.IsLoaded(); }));
}

bool g_rescued = false;

void CALLBACK Rescue(HWND, UINT, UINT_PTR, DWORD) {
    g_rescued = true;
    tk::CurrentPlatform().windows.Quit();
}

TEST_F(ToolkitLoop, LastUnloadEndsTheLoopAndTheNextLoopRunsAgain) {
    for (int round = 0; round < 2; ++round) {
        AllControlsForm& f = Make();
        int ticks = 0;
        f.timer.Tick = [&] {
            if (++ticks == 3) f.Unload();
        };
        f.timer.SetRunning(true);
        f.Show();
        // A safety net: a loop that never ended would hang the test run.
        g_rescued = false;
        const UINT_PTR guard = ::SetTimer(nullptr, 0, 5000, Rescue);
        tk::CurrentPlatform().windows.RunLoop();
        ::KillTimer(nullptr, guard);
        EXPECT_FALSE(g_rescued) << "round " << round;
        EXPECT_EQ(ticks, 3) << "round " << round;
        EXPECT_EQ(tk::LoadedFormCount(), 0);
    }
}

// A message box asked for while a full-screen window is active and another window of ours is in
// front of it (the backdrop and the topmost choice window of a failed change) belongs to the
// window in front, so that it stays in front of it, rather than to the active one behind.
TEST_F(ToolkitLoop, MessageBoxBelongsToTheWindowInFront) {
    tk::FormStyle coverStyle = TestStyle();
    coverStyle.border = tk::BorderStyle::None;
    coverStyle.windowState = tk::WindowState::Maximized;
    coverStyle.backColor = tk::kBlack;
    AllControlsForm cover(coverStyle);
    cover.Show();
    AllControlsForm& panel = Make();
    panel.Show();
    ::SetForegroundWindow(WindowOf(cover));
    ::SetWindowPos(WindowOf(panel), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PumpFor(50);
    ASSERT_EQ(::GetActiveWindow(), WindowOf(cover));

    const HWND panelWindow = WindowOf(panel);
    struct Watch {
        HWND panel;
        std::atomic<HWND> owner{nullptr};
        std::atomic<bool> inFront{false};
    } watch{panelWindow};
    // A thread of the system's own: the programs' runtime (win32 thread model) has no std::thread.
    struct Watcher {
        static DWORD WINAPI Run(void* param) {
            Watch& w = *static_cast<Watch*>(param);
            for (int n = 0; n < 300; ++n) {
                const HWND box = ::FindWindowW(L"#32770", L"Box in front");
                if (box && ::IsWindowVisible(box)) {
                    ::Sleep(100);
                    w.owner = ::GetWindow(box, GW_OWNER);
                    for (HWND h = ::GetTopWindow(nullptr); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
                        if (h == box) w.inFront = true;
                        if (h == box || h == w.panel) break;
                    }
                    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                    return 0;
                }
                ::Sleep(10);
            }
            return 0;
        }
    };
    const HANDLE watcher = ::CreateThread(nullptr, 0, &Watcher::Run, &watch, 0, nullptr);
    ASSERT_NE(watcher, nullptr);
    tk::MsgBox(L"The wallpaper could not be changed.", tk::kMbIconExclamation, L"Box in front");
    ::WaitForSingleObject(watcher, INFINITE);
    ::CloseHandle(watcher);
    EXPECT_EQ(watch.owner.load(), panelWindow) << "the box belongs to the window behind";
    EXPECT_TRUE(watch.inFront);
}

TEST_F(ToolkitLoop, HourglassShowsOverOurWindows) {
    AllControlsForm& f = Make();
    f.Show();
    const LPARAM client = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    tk::Screen::SetMousePointer(tk::kPointerHourglass);
    EXPECT_TRUE(::SendMessageW(WindowOf(f), WM_SETCURSOR, reinterpret_cast<WPARAM>(WindowOf(f)), client));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_WAIT));
    ::SendMessageW(WindowOf(f.cmdSave), WM_SETCURSOR, reinterpret_cast<WPARAM>(WindowOf(f.cmdSave)), client);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_WAIT));
    tk::Screen::SetMousePointer(tk::kPointerDefault);
    ::SendMessageW(WindowOf(f), WM_SETCURSOR, reinterpret_cast<WPARAM>(WindowOf(f)), client);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_ARROW));
}

// --- Painting ------------------------------------------------------------------------------------

using ToolkitPaint = ToolkitTest;

// What a window paints into its client area, read back from a memory bitmap.
class Snapshot {
public:
    explicit Snapshot(HWND window) {
        RECT r{};
        ::GetClientRect(window, &r);
        base::win32::WindowDc screen(nullptr);
        dc_.Reset(::CreateCompatibleDC(screen.Get()));
        bitmap_.Reset(::CreateCompatibleBitmap(screen.Get(), std::max(1L, r.right), std::max(1L, r.bottom)));
        old_ = ::SelectObject(dc_.Get(), bitmap_.Get());
        ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_.Get()), PRF_CLIENT);
    }
    ~Snapshot() { ::SelectObject(dc_.Get(), old_); }
    COLORREF At(int x, int y) const { return ::GetPixel(dc_.Get(), x, y); }

private:
    base::win32::UniqueMemoryDc dc_;
    base::win32::UniqueBitmap bitmap_;
    HGDIOBJ old_ = nullptr;
};

TEST_F(ToolkitPaint, PictureBoxShowsItsSurfaceAndLabelsShowItThrough) {
    AllControlsForm& f = Make();
    f.Show();
    f.pic.SetBackColor(tk::kRed);
    // A blue picture, drawn stretched over the top-left quarter-inch square.
    tk::Bitmap blue(4, 4, 0x0000FF);
    f.pic.PaintPicture(blue, 0, 0, 360, 360);
    PumpFor(20);

    Snapshot box(WindowOf(f.pic));
    EXPECT_EQ(box.At(2, 2), RGB(0, 0, 255));
    EXPECT_EQ(box.At(Px(360) + 3, Px(360) + 3), RGB(255, 0, 0));
    const int innerW = f.pic.InnerPixels().width;
    EXPECT_EQ(box.At(innerW - 1, 2), RGB(255, 0, 0));

    // The label inside (no text) shows the surface behind it: blue at its top-left, which lies
    // over the picture, red further right.
    Snapshot label(WindowOf(f.lblInPic));
    EXPECT_EQ(label.At(1, 1), RGB(0, 0, 255));
    EXPECT_EQ(label.At(Px(900) - 2, 1), RGB(255, 0, 0));

    f.pic.Cls();
    Snapshot cleared(WindowOf(f.pic));
    EXPECT_EQ(cleared.At(2, 2), RGB(255, 0, 0));
}

// Silver pixels of a picture stay silver when the system's face is another colour, and the
// default face shows as the system's.
TEST_F(ToolkitPaint, PictureSilverIsNotTakenForTheSystemsFace) {
    const int element = COLOR_BTNFACE;
    const COLORREF saved = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF beige = RGB(236, 233, 216);
    ASSERT_TRUE(::SetSysColors(1, &element, &beige));
    AllControlsForm& f = Make();
    f.Show();
    f.pic.Cls();
    f.pic.PaintPicture(tk::Bitmap(4, 4, 0xC0C0C0), 0, 0, 360, 360);
    PumpFor(20);
    Snapshot box(WindowOf(f.pic));
    const COLORREF silverPixel = box.At(2, 2);
    const COLORREF facePixel = box.At(Px(360) + 3, Px(360) + 3);
    f.pic.SetBackColor(tk::kSilver);
    f.pic.Cls();
    PumpFor(20);
    Snapshot silver(WindowOf(f.pic));
    const COLORREF askedSilver = silver.At(Px(360) + 3, Px(360) + 3);
    ::SetSysColors(1, &element, &saved);
    EXPECT_EQ(silverPixel, RGB(192, 192, 192));
    EXPECT_EQ(facePixel, beige);
    EXPECT_EQ(askedSilver, RGB(192, 192, 192));
}

// In a high-contrast scheme (white text on black faces) a label's text follows the scheme
// instead of vanishing black on black.
TEST_F(ToolkitPaint, LabelTextFollowsTheSystemsTextColour) {
    const int elements[] = {COLOR_BTNFACE, COLOR_BTNTEXT};
    const COLORREF saved[] = {::GetSysColor(COLOR_BTNFACE), ::GetSysColor(COLOR_BTNTEXT)};
    const COLORREF contrast[] = {RGB(0, 0, 0), RGB(255, 255, 255)};
    ASSERT_TRUE(::SetSysColors(2, elements, contrast));
    AllControlsForm& f = Make();
    f.lblRight.SetCaption(L"8888");
    f.Show();
    PumpFor(20);
    Snapshot label(WindowOf(f.lblRight));
    RECT r{};
    ::GetClientRect(WindowOf(f.lblRight), &r);
    int white = 0, black = 0, other = 0;
    for (int y = 0; y < r.bottom; ++y) {
        for (int x = 0; x < r.right; ++x) {
            const COLORREF c = label.At(x, y);
            if (c == RGB(255, 255, 255)) ++white;
            else if (c == RGB(0, 0, 0)) ++black;
            else ++other;
        }
    }
    ::SetSysColors(2, elements, saved);
    EXPECT_GT(white, 20) << "the text is drawn in the scheme's text colour";
    EXPECT_GT(black, white) << "on the scheme's face";
}

TEST_F(ToolkitPaint, FormPaintsItsBackColourAndShapeOutline) {
    tk::FormStyle style = TestStyle();
    style.backColor = 0x00FF00;  // green
    AllControlsForm& f = Make(style);
    f.panel.SetVisible(false);
    f.Show();
    Snapshot painted(WindowOf(f));
    EXPECT_EQ(painted.At(0, Px(3000)), RGB(0, 0, 0)) << "the shape's left edge";
    EXPECT_EQ(painted.At(3, Px(3000)), RGB(0, 255, 0));
}

// --- The program's identity ------------------------------------------------------------------------

TEST(ToolkitIdentity, FolderTitleAndCommandTail) {
    using tk::win32::CommandTail;
    using tk::win32::FolderOfPath;
    using tk::win32::TitleOfPath;
    EXPECT_EQ(FolderOfPath(L"C:\\Program Files\\Murivale\\Murivale.exe"),
              L"C:\\Program Files\\Murivale");
    EXPECT_EQ(FolderOfPath(L"C:\\Murivale.exe"), L"C:\\");
    EXPECT_EQ(FolderOfPath(L"\\\\server\\share\\Murivale.exe"), L"\\\\server\\share");
    EXPECT_EQ(TitleOfPath(L"C:\\Apps\\Murivale.exe"), L"Murivale");
    EXPECT_EQ(TitleOfPath(L"C:\\Apps.v2\\Tessaban"), L"Tessaban");

    EXPECT_EQ(CommandTail(L"\"C:\\Program Files\\M\\Murivale.exe\" /p %1"), L"/p %1");
    EXPECT_EQ(CommandTail(L"Murivale.exe   /p %1 "), L"/p %1 ");
    EXPECT_EQ(CommandTail(L"\"C:\\x y\\Murivale.exe\"/p x"), L"/p x");
    EXPECT_EQ(CommandTail(L"Murivale.exe"), L"");
    EXPECT_EQ(CommandTail(L"\"unterminated"), L"");

    const std::wstring path = tk::App::Path();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(path.back() != L'\\' || path.size() == 3) << "no trailing backslash";
    EXPECT_EQ(tk::App::Title(), L"wine_tests");
    const std::wstring tail = tk::App::Command();
    EXPECT_EQ(tail.find(L"wine_tests"), std::wstring::npos) << "the program's name is left out";
    EXPECT_TRUE(tail.empty() || tail[0] != L' ');
}

TEST(ToolkitIdentity, OnlyInstanceAndOwnWindowsAreNotActivated) {
    EXPECT_FALSE(tk::App::PrevInstance());
    EXPECT_FALSE(tk::App::PrevInstance()) << "the answer stays the same";
    AllControlsForm f;
    f.SetCaption(L"Only here");
    f.Show();
    EXPECT_FALSE(tk::AppActivate(L"Only here")) << "our own window does not count";
    f.Unload();
}

// --- Errors in handlers ----------------------------------------------------------------------

// An error thrown by a handler must not unwind through the system's window procedure (with the
// 32-bit runtime that ends the process without a word): it is reported once, and the window
// goes on working. Here the report is recorded instead of shown.
class ToolkitErrors : public ToolkitTest {
protected:
    void SetUp() override {
        tk::SetEventErrorHandler([this](const std::wstring& what) { reports.push_back(what); });
    }
    void TearDown() override {
        tk::SetEventErrorHandler(nullptr);
        ToolkitTest::TearDown();
    }
    std::vector<std::wstring> reports;
};

TEST_F(ToolkitErrors, ClickSelectionAndTimerThatThrowAreReportedAndTheWindowGoesOn) {
    AllControlsForm& f = Make();
    int clicks = 0, selections = 0, ticks = 0;
    f.cmdOther.Click = [&] {
        if (++clicks == 1) throw std::runtime_error("the click failed");
    };
    f.list.Click = [&] {
        if (++selections == 1) throw std::runtime_error("the selection failed");
    };
    f.timer.Tick = [&] {
        if (++ticks == 1) throw std::runtime_error("the timer failed");
        f.timer.SetRunning(false);
    };
    f.Show();
    const HWND window = WindowOf(f);

    ::SendMessageW(WindowOf(f.cmdOther), BM_CLICK, 0, 0);
    ::SendMessageW(WindowOf(f.list), LB_SETCURSEL, 2, 0);
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(WindowOf(f.list)));
    f.timer.SetRunning(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));
    EXPECT_EQ(reports, (std::vector<std::wstring>{L"the click failed", L"the selection failed",
                                                  L"the timer failed"}));

    // Each works again the next time.
    ::SendMessageW(WindowOf(f.cmdOther), BM_CLICK, 0, 0);
    ::SendMessageW(WindowOf(f.list), LB_SETCURSEL, 3, 0);
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(WindowOf(f.list)));
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(selections, 2);
    EXPECT_EQ(reports.size(), 3u);
    EXPECT_TRUE(f.IsLoaded());
    EXPECT_TRUE(::IsWindowVisible(window));
}

// Watches for the report's message box from a thread timer, which the box's own modal loop
// dispatches: counts the boxes seen, and closes the box once it has stood for a while.
struct BoxWatch {
    int boxes = 0;
    HWND box = nullptr;
    DWORD firstSeen = 0;
    bool closed = false;
};
BoxWatch g_boxWatch;

void CALLBACK WatchBoxes(HWND, UINT, UINT_PTR, DWORD) {
    BoxWatch& watch = g_boxWatch;
    if (watch.closed) return;
    const HWND found = ::FindWindowW(L"#32770", tk::App::Title().c_str());
    if (found && found != watch.box) {
        watch.box = found;
        ++watch.boxes;
        watch.firstSeen = ::GetTickCount();
    }
    if (watch.box && ::GetTickCount() - watch.firstSeen > 400) {
        watch.closed = true;
        ::PostMessageW(watch.box, WM_COMMAND, IDOK, 0);
    }
}

// The default report is one message box with the program's title; a handler that fails again
// while it is open (a timer, say) does not stack a second one.
TEST_F(ToolkitErrors, DefaultReportIsOneMessageBoxAtATime) {
    tk::SetEventErrorHandler(nullptr);
    AllControlsForm& f = Make();
    int ticks = 0;
    f.timer.Tick = [&] {
        ++ticks;
        if (!g_boxWatch.closed) throw std::runtime_error("the timer failed");
        f.timer.SetRunning(false);
    };
    g_boxWatch = BoxWatch{};
    const UINT_PTR watcher = ::SetTimer(nullptr, 0, 20, WatchBoxes);
    f.Show();
    f.timer.SetRunning(true);
    const bool done = PumpUntil([&] { return g_boxWatch.closed && !f.timer.Running(); }, 8000);
    ::KillTimer(nullptr, watcher);
    ASSERT_TRUE(done);
    EXPECT_EQ(g_boxWatch.boxes, 1);
    EXPECT_GE(ticks, 3) << "the timer went on failing while the box was open";
    EXPECT_TRUE(f.IsLoaded());
}

// The programs tell the system not to stop them with boxes of its own for a drive without a
// medium or a file that is not found: the platform every program makes sets that at its start.
TEST(Win32Platform, SystemErrorBoxesAreOffForTheProcess) {
    const UINT mode = ::SetErrorMode(0);
    ::SetErrorMode(mode);
    EXPECT_NE(mode & SEM_FAILCRITICALERRORS, 0u);
    EXPECT_NE(mode & SEM_NOOPENFILEERRORBOX, 0u);
}

}  // namespace
