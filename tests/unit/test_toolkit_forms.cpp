// The toolkit's model on the headless backend: form life cycle, events, timers, focus, keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/App.h"
#include "toolkit/Form.h"
#include "toolkit/headless/Headless.h"

namespace {

namespace hl = tk::headless;

tk::FormStyle DialogStyle() {
    tk::FormStyle style;
    style.caption = L"Test";
    style.border = tk::BorderStyle::FixedSingle;
    style.clientWidth = 2415;
    style.clientHeight = 2055;
    return style;
}

class TestForm : public tk::Form {
public:
    TestForm()
        : tk::Form(L"TestForm", DialogStyle()),
          ok(*this, L"ok", L"OK", {120, 120, 1000, 375}),
          cancel(*this, L"cancel", L"Cancel", {120, 600, 1000, 375}),
          list(*this, L"list", {120, 1080, 1000, 800}),
          label(*this, L"label", L"text", {1200, 120, 1000, 255}),
          timer(*this, L"timer", 750) {
        ok.SetDefault(true);
        cancel.SetCancel(true);
    }

    std::vector<std::string> log;
    tk::Button ok;
    tk::Button cancel;
    tk::ListBox list;
    tk::Label label;
    tk::Timer timer;

protected:
    void Form_Load() override { log.push_back("load"); }
    void Form_Unload() override { log.push_back("unload"); }
};

class ToolkitForms : public ::testing::Test {
protected:
    void SetUp() override { hl::Reset(); }
};

TEST_F(ToolkitForms, LoadShowHideUnloadRunTheEventsOnceEach) {
    TestForm form;
    form.Show();
    form.Load();  // already loaded: nothing
    EXPECT_TRUE(form.IsLoaded());
    EXPECT_TRUE(hl::IsShown(form));
    form.Hide();
    EXPECT_FALSE(hl::IsShown(form));
    EXPECT_TRUE(form.IsLoaded());
    form.Unload();
    form.Unload();
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(form.log, (std::vector<std::string>{"load", "unload"}));
    EXPECT_EQ(form.Hwnd(), 0u);
}

TEST_F(ToolkitForms, ProgramEndsWhenTheLastLoadedFormUnloads) {
    const int before = tk::LoadedFormCount();
    TestForm a, b;
    a.Load();
    b.Load();
    EXPECT_EQ(tk::LoadedFormCount(), before + 2);
    a.Unload();
    EXPECT_FALSE(hl::QuitRequested());
    b.Unload();
    EXPECT_EQ(tk::LoadedFormCount(), before);
    EXPECT_TRUE(hl::QuitRequested());
}

class SelfUnloadingForm : public TestForm {
protected:
    void Form_Load() override {
        TestForm::Form_Load();
        Unload();
    }
};

TEST_F(ToolkitForms, StartFormThatUnloadsItselfWhileLoadingIsNeverShown) {
    SelfUnloadingForm form;
    tk::Run(form);
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_FALSE(hl::IsShown(form));
    EXPECT_EQ(form.log, (std::vector<std::string>{"load", "unload"}));
}

TEST_F(ToolkitForms, StartFormIsShownAfterItsLoad) {
    TestForm form;
    tk::Run(form);
    EXPECT_TRUE(hl::IsShown(form));
    form.Unload();
}

TEST_F(ToolkitForms, AutoFormIsCreatedOnFirstTouchAndFreshAfterUnload) {
    tk::AutoForm<TestForm> back;
    EXPECT_FALSE(back.IsLoaded());
    EXPECT_EQ(back.IfLoaded(), nullptr);
    back.Unload();  // never creates one
    EXPECT_FALSE(back.IsLoaded());

    back->timer.SetRunning(true);  // touching a control loads the form, hidden
    EXPECT_TRUE(back.IsLoaded());
    EXPECT_FALSE(hl::IsShown(*back));
    back->list.AddItem(L"x");
    back.Unload();
    EXPECT_FALSE(back.IsLoaded());

    EXPECT_EQ(back->list.ListCount(), 0);      // a fresh form: list empty
    EXPECT_FALSE(back->timer.Running());       // and its timer off
    EXPECT_EQ(back->log, (std::vector<std::string>{"load"}));
    back.Unload();
}

TEST_F(ToolkitForms, ScreenMetricsFollowTheDpi) {
    hl::SetScreen(1280, 1024, 120);
    EXPECT_EQ(tk::Screen::TwipsPerPixelX(), 12);
    EXPECT_EQ(tk::Screen::Width(), 1280 * 12);
    EXPECT_EQ(tk::TwipsToPixels(2415), 201);  // 201.25
    TestForm form;
    form.Load();
    EXPECT_EQ(form.ScaleWidth(), 201 * 12);
    form.Unload();
}

TEST_F(ToolkitForms, ListSelectionRaisesClickOnEveryChangeFromCodeOrUser) {
    TestForm form;
    form.Load();
    std::vector<int> seen;
    form.list.Click = [&] { seen.push_back(form.list.ListIndex()); };
    form.list.AddItem(L"(None)");
    form.list.AddItem(L"a.jpg");
    form.list.SetListIndex(1);
    form.list.SetListIndex(1);  // no change, no event
    form.list.OnUserSelect(0);
    form.list.SetListIndex(-1);
    form.list.OnUserSelect(7);  // out of range from the window: ignored
    EXPECT_EQ(seen, (std::vector<int>{1, 0, -1}));
    EXPECT_THROW(form.list.SetListIndex(2), std::out_of_range);
    EXPECT_EQ(form.list.ListIndex(), -1);
    form.Unload();
}

TEST_F(ToolkitForms, DisabledOrHiddenButtonsIgnoreTheUser) {
    TestForm form;
    form.Show();
    int clicks = 0;
    form.ok.Click = [&] { ++clicks; };
    form.ok.SetEnabled(false);
    form.ok.OnUserPress();
    form.OnUserEnter();
    form.ok.SetEnabled(true);
    form.ok.SetVisible(false);
    form.ok.OnUserPress();
    EXPECT_EQ(clicks, 0);
    form.ok.SetVisible(true);
    form.OnUserEnter();
    EXPECT_EQ(clicks, 1);
    form.Unload();
}

TEST_F(ToolkitForms, EnterPressesTheFocusedButtonOrTheDefaultAndEscTheCancelButton) {
    TestForm form;
    form.Show();
    std::vector<std::string> pressed;
    form.ok.Click = [&] { pressed.push_back("ok"); };
    form.cancel.Click = [&] { pressed.push_back("cancel"); };
    form.OnUserEnter();
    form.OnUserEscape();
    ASSERT_TRUE(form.cancel.SetFocus());
    form.OnUserEnter();
    ASSERT_TRUE(form.list.SetFocus());
    form.OnUserEnter();
    EXPECT_EQ(pressed, (std::vector<std::string>{"ok", "cancel", "cancel", "ok"}));
    form.Unload();
}

TEST_F(ToolkitForms, FocusNeedsAVisibleFormAndAnEnabledVisibleControl) {
    TestForm form;
    form.Load();
    EXPECT_FALSE(form.ok.SetFocus());  // form loaded but hidden
    form.Show();
    EXPECT_FALSE(form.label.SetFocus());
    ASSERT_TRUE(form.ok.SetFocus());
    EXPECT_TRUE(form.ok.HasFocus());
    form.ok.SetEnabled(false);  // a disabled control loses the focus
    EXPECT_EQ(form.ActiveControl(), nullptr);
    EXPECT_FALSE(form.ok.SetFocus());
    form.Unload();
}

TEST_F(ToolkitForms, TimerFiresAfterItsIntervalAndCanSwitchItselfOff) {
    TestForm form;
    form.Load();
    int ticks = 0;
    form.timer.Tick = [&] {
        ++ticks;
        form.timer.SetRunning(false);
    };
    form.timer.SetRunning(true);
    hl::AdvanceClock(749);
    EXPECT_EQ(ticks, 0);
    hl::AdvanceClock(1);
    EXPECT_EQ(ticks, 1);
    hl::AdvanceClock(5000);
    EXPECT_EQ(ticks, 1);
    form.Unload();
}

TEST_F(ToolkitForms, RepeatingTimerFiresOncePerIntervalAndStopsWhenTheFormUnloads) {
    TestForm form;
    form.Load();
    int ticks = 0;
    form.timer.Tick = [&] { ++ticks; };
    form.timer.SetRunning(true);
    hl::AdvanceClock(2300);
    EXPECT_EQ(ticks, 3);
    form.Unload();
    EXPECT_FALSE(hl::IsTimerRunning(form.timer));
    hl::AdvanceClock(5000);
    EXPECT_EQ(ticks, 3);
}

TEST_F(ToolkitForms, TimerSetBeforeLoadStartsWithTheForm) {
    tk::AutoForm<TestForm> form;
    TestForm& f = *form;
    f.Unload();
    f.timer.SetRunning(true);
    EXPECT_FALSE(hl::IsTimerRunning(f.timer));
    f.Load();
    EXPECT_TRUE(hl::IsTimerRunning(f.timer));
    f.Unload();
}

class ClosingForm : public TestForm {
public:
    ClosingForm() {
        timer.Tick = [this] {
            timer.SetRunning(false);
            Unload();
        };
    }
};

TEST_F(ToolkitForms, FormMayUnloadItselfFromItsOwnTimer) {
    tk::AutoForm<ClosingForm> back;
    back->timer.SetRunning(true);
    hl::AdvanceClock(750);
    EXPECT_FALSE(back.IsLoaded());
    EXPECT_EQ(back->log, (std::vector<std::string>{"load"}));  // a fresh one
    back.Unload();
}

TEST_F(ToolkitForms, CheckBoxRaisesClickWhenItsValueChanges) {
    class CheckForm : public tk::Form {
    public:
        CheckForm() : tk::Form(L"f", DialogStyle()), chk(*this, L"chk", L"&Run", {0, 0, 900, 255}) {}
        tk::CheckBox chk;
    } form;
    form.Show();
    int clicks = 0;
    form.chk.Click = [&] { ++clicks; };
    form.chk.SetChecked(true);
    form.chk.SetChecked(true);
    form.chk.OnUserToggle();
    EXPECT_FALSE(form.chk.Checked());
    EXPECT_EQ(clicks, 2);
    form.Unload();
}

TEST_F(ToolkitForms, ProgressValueOutsideItsRangeIsRefused) {
    class BarForm : public tk::Form {
    public:
        BarForm() : tk::Form(L"f", DialogStyle()), bar(*this, L"bar", {0, 0, 2295, 255}) {}
        tk::ProgressBar bar;
    } form;
    form.bar.SetValue(37);
    EXPECT_FLOAT_EQ(form.bar.Value(), 37);
    EXPECT_THROW(form.bar.SetValue(100.5f), std::out_of_range);
    EXPECT_FLOAT_EQ(form.bar.Value(), 37);
}

}  // namespace
