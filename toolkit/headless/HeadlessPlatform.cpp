// The headless platform: the toolkit's windows as state in memory, for the native tests.

#include <algorithm>
#include <map>

#include "toolkit/App.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/headless/Headless.h"
#include "toolkit/headless/HeadlessParts.h"

namespace tk::headless {
namespace {

// Frame sizes in pixels: a 4-pixel border on each side and a 25-pixel caption (17 for tool
// windows), as a classic desktop draws them.
struct Frame {
    int border = 0;
    int caption = 0;
};

Frame FrameOf(BorderStyle style) {
    switch (style) {
        case BorderStyle::None: return {0, 0};
        case BorderStyle::FixedToolWindow: return {4, 17};
        default: return {4, 25};
    }
}

struct State {
    SizePx screen{1024, 768};
    int dpi = 96;
    Color buttonFace = kSilver;
    long long now = 0;
    struct Scheduled {
        long long due;
        int interval;
    };
    std::map<Timer*, Scheduled> timers;
    std::vector<MessageBoxCall> boxes;
    std::vector<int> answers;
    std::function<void(const MessageBoxCall&)> boxHook;
    int pointer = kPointerDefault;
    int doEvents = 0;
    std::function<void()> doEventsHook;
    std::wstring appPath = L"C:\\Program";
    std::wstring appTitle = L"Program";
    std::wstring command;
    bool previousInstance = false;
    bool activationSucceeds = true;
    std::vector<std::wstring> activated;
    std::vector<std::wstring> keys;
    bool quit = false;
    WindowHandle nextHandle = 0x1000;
};

State& S() {
    static State state;
    return state;
}

class ControlPeerImpl : public ControlPeer {
public:
    void Update(Change) override {}
    bool Focus() override { return true; }
};

class FormPeerImpl : public FormPeer {
public:
    explicit FormPeerImpl(Form& form) : form_(form), handle_(S().nextHandle += 0x10) {
        Place();
    }

    void Update(Change) override {}
    void Show() override { shown_ = true; }
    void Hide() override { shown_ = false; }
    WindowHandle Handle() const override { return handle_; }
    void WhenWindowExists(std::function<void(WindowHandle)> action) override { action(handle_); }
    SizePx OuterSize() const override { return outer_; }
    PointPx Position() const override { return position_; }
    void MoveTo(PointPx topLeft) override { position_ = topLeft; }
    std::unique_ptr<ControlPeer> CreateControl(Control&) override {
        return std::make_unique<ControlPeerImpl>();
    }
    bool Shown() const { return shown_; }

private:
    void Place() {
        const FormStyle& style = form_.Style();
        if (style.windowState == WindowState::Maximized) {
            outer_ = S().screen;
            position_ = {0, 0};
            return;
        }
        const Frame frame = FrameOf(style.border);
        outer_ = {TwipsToPixels(style.clientWidth) + 2 * frame.border,
                  TwipsToPixels(style.clientHeight) + 2 * frame.border + frame.caption};
        switch (style.startPosition) {
            case StartPosition::CenterScreen:
                position_ = {(S().screen.width - outer_.width) / 2,
                             (S().screen.height - outer_.height) / 2};
                break;
            case StartPosition::WindowsDefault: position_ = {22, 22}; break;
            case StartPosition::Manual: position_ = {0, 0}; break;
        }
    }

    Form& form_;
    WindowHandle handle_;
    SizePx outer_;
    PointPx position_;
    bool shown_ = false;
};

class HeadlessWindows final : public WindowSystem {
public:
    std::unique_ptr<FormPeer> CreateForm(Form& form) override {
        return std::make_unique<FormPeerImpl>(form);
    }
    void StartTimer(Timer& timer, int intervalMs) override {
        S().timers[&timer] = {S().now + intervalMs, intervalMs};
    }
    void StopTimer(Timer& timer) override { S().timers.erase(&timer); }
    SizePx ScreenSize() const override { return S().screen; }
    int Dpi() const override { return S().dpi; }
    // Only the button face is asked for; the others read as black.
    Color SystemColorValue(int index) const override {
        return index == SystemColorIndex(kButtonFace) ? S().buttonFace : kBlack;
    }
    void SetMousePointer(int pointer) override { S().pointer = pointer; }

    int ShowMessageBox(const std::wstring& text, int style, const std::wstring& title,
                       WindowHandle) override {
        S().boxes.push_back({text, style, title});
        if (S().boxHook) S().boxHook(S().boxes.back());
        if (S().answers.empty()) return kIdOk;
        const int answer = S().answers.front();
        S().answers.erase(S().answers.begin());
        return answer;
    }

    void DoEvents() override {
        ++S().doEvents;
        if (S().doEventsHook) S().doEventsHook();
    }
    // Nothing arrives by itself here: tests drive the program after Run returns.
    void RunLoop() override {}
    void Quit() override { S().quit = true; }
};

class HeadlessProcess final : public ProcessServices {
public:
    std::wstring AppPath() const override { return S().appPath; }
    std::wstring AppTitle() const override { return S().appTitle; }
    std::wstring CommandLineTail() const override { return S().command; }
    bool PreviousInstance() override { return S().previousInstance; }
    bool ActivateWindow(const std::wstring& title) override {
        S().activated.push_back(title);
        return S().activationSucceeds;
    }
    void SendKeys(const std::wstring& keys, bool) override { S().keys.push_back(keys); }
};

}  // namespace

void Reset() {
    const WindowHandle next = S().nextHandle;  // handles stay unique across resets
    S() = State{};
    S().nextHandle = next;
}

void SetScreen(int widthPx, int heightPx, int dpi) {
    S().screen = {widthPx, heightPx};
    S().dpi = dpi;
}

void SetButtonFace(Color color) { S().buttonFace = color; }

void AdvanceClock(int ms) {
    const long long target = S().now + ms;
    for (;;) {
        auto next = std::min_element(S().timers.begin(), S().timers.end(),
                                     [](const auto& a, const auto& b) {
                                         return a.second.due < b.second.due;
                                     });
        if (next == S().timers.end() || next->second.due > target) break;
        Timer* timer = next->first;
        S().now = next->second.due;
        next->second.due += std::max(1, next->second.interval);
        timer->OnElapsed();  // may stop timers or unload forms
    }
    S().now = target;
}

long long Now() { return S().now; }
bool IsTimerRunning(const Timer& timer) {
    return S().timers.count(const_cast<Timer*>(&timer)) != 0;
}
const std::vector<MessageBoxCall>& MessageBoxes() { return S().boxes; }
void QueueAnswer(int button) { S().answers.push_back(button); }
void SetMessageBoxHook(std::function<void(const MessageBoxCall&)> hook) {
    S().boxHook = std::move(hook);
}
int MousePointer() { return S().pointer; }
int DoEventsCount() { return S().doEvents; }
void SetDoEventsHook(std::function<void()> hook) { S().doEventsHook = std::move(hook); }

void SetAppInfo(std::wstring path, std::wstring title, std::wstring commandLineTail) {
    S().appPath = std::move(path);
    S().appTitle = std::move(title);
    S().command = std::move(commandLineTail);
}

void SetPreviousInstance(bool running) { S().previousInstance = running; }
const std::vector<std::wstring>& ActivatedTitles() { return S().activated; }
const std::vector<std::wstring>& SentKeys() { return S().keys; }
void SetActivationSucceeds(bool succeeds) { S().activationSucceeds = succeeds; }
bool QuitRequested() { return S().quit; }

bool IsShown(const Form& form) {
    const auto* peer = dynamic_cast<const FormPeerImpl*>(form.Peer());
    return peer && peer->Shown();
}

PointPx PositionOf(const Form& form) {
    return form.Peer() ? form.Peer()->Position() : PointPx{};
}

const Platform& GetPlatform() {
    static HeadlessWindows windows;
    static HeadlessProcess process;
    static HeadlessFiles files;
    static HeadlessPictures pictures;
    static const Platform platform{windows, process, files, pictures};
    return platform;
}

}  // namespace tk::headless
