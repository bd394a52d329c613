// Every kind of control on one form: buttons (default, cancel, and a disabled caption-less panel
// behind the others), labels in three alignments and two colours, a check box with a tool tip,
// the three lists, a picture box with a drawn picture and a label inside, a shape, a progress
// bar and a timer that keeps a label counting. Enter, Esc or the close box end it.
#include <string>

#include "toolkit/App.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/Platform.h"
#include "toolkit/win32/Win32Platform.h"

namespace {

constexpr tk::Twips kWidth = 9000;
constexpr tk::Twips kHeight = 5400;

tk::FormStyle DemoStyle() {
    tk::FormStyle style;
    style.caption = L"Toolkit demo";
    style.border = tk::BorderStyle::FixedSingle;
    style.clientWidth = kWidth;
    style.clientHeight = kHeight;
    style.minButton = true;
    return style;
}

// A colour wheel of sorts: red across, green down, blue on the diagonal.
tk::Bitmap Gradient(int width, int height) {
    tk::Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto r = static_cast<std::uint32_t>(255 * x / (width - 1));
            const auto g = static_cast<std::uint32_t>(255 * y / (height - 1));
            const auto b = static_cast<std::uint32_t>(255 - (r + g) / 2);
            bitmap.at(x, y) = (r << 16) | (g << 8) | b;
        }
    }
    return bitmap;
}

class DemoForm : public tk::Form {
public:
    DemoForm()
        : Form(L"frmDemo", DemoStyle()),
          lstItems(*this, L"lstItems", {240, 480, 2400, 1560}),
          File1(*this, L"File1", L"*.exe;*.ini", {240, 2400, 2400, 1560}),
          dirPath(*this, L"dirPath", {2880, 480, 2880, 1560}),
          chkOption(*this, L"chkOption", L"Set &Random Wallpaper at Startup", {2880, 2160, 3000, 255}),
          picImage(*this, L"picImage", {6000, 480, 2760, 1920}),
          lblInPicture(*this, L"lblInPicture", L"A label inside the picture", {120, 1440, 2400, 255},
                       &picImage),
          lblLeft(*this, L"lblLeft", L"Left-aligned label", {2880, 2520, 2880, 255}),
          lblCenter(*this, L"lblCenter", L"Centred label", {2880, 2820, 2880, 255}),
          lblRight(*this, L"lblRight", L"Right-aligned, red", {2880, 3120, 2880, 255}),
          lblTicks(*this, L"lblTicks", L"Timer: 0", {6000, 2520, 2760, 255}),
          barLoad(*this, L"barLoad", {6000, 2880, 2760, 300}),
          cmdOk(*this, L"cmdOk", L"&OK", {6000, 4560, 1320, 375}),
          cmdCancel(*this, L"cmdCancel", L"Cancel", {7440, 4560, 1320, 375}),
          cmdDisabled(*this, L"cmdDisabled", L"Disabled", {6000, 4080, 1320, 375}),
          lblCaption(*this, L"lblCaption", L"Lists: items, files of C:\\windows, folders",
                     {240, 180, 5520, 255}),
          Shape1(*this, L"Shape1", {0, 0, kWidth, kHeight}),
          Timer1(*this, L"Timer1", 250),
          Command1(*this, L"Command1", L"", {15, 15, kWidth - 15, kHeight - 15}) {
        int tab = 0;
        for (tk::Control* control : std::initializer_list<tk::Control*>{
                 &lstItems, &File1, &dirPath, &chkOption, &cmdOk, &cmdCancel}) {
            control->SetTabIndex(tab++);
        }
        Command1.SetTabIndex(tab);
        Command1.SetEnabled(false);
        Command1.SetTabStop(false);
        cmdDisabled.SetEnabled(false);
        cmdOk.SetDefault(true);
        cmdCancel.SetCancel(true);
        chkOption.SetToolTip(L"Murivale will change your wallpaper when you log in.");
        chkOption.SetChecked(true);
        lblCenter.SetAlignment(tk::Align::Center);
        lblRight.SetAlignment(tk::Align::Right);
        lblRight.SetForeColor(tk::kRed);
        lblTicks.SetForeColor(0x800000);  // dark blue
        lblInPicture.SetForeColor(0x000080);  // dark red
        lblInPicture.SetAlignment(tk::Align::Center);

        cmdOk.Click = [this] { Unload(); };
        cmdCancel.Click = [this] { Unload(); };
        Timer1.Tick = [this] {
            ++ticks_;
            lblTicks.SetCaption(L"Timer: " + std::to_wstring(ticks_));
        };
    }

protected:
    void Form_Load() override {
        for (const wchar_t* item : {L"(None)", L"beach.jpg", L"forest.gif", L"harbour.bmp",
                                    L"mountains.dib", L"sunset.jpeg"}) {
            lstItems.AddItem(item);
        }
        lstItems.SetListIndex(1);
        try {
            File1.SetPath(L"C:\\windows");
            dirPath.SetPath(L"C:\\windows");
        } catch (const std::exception&) {
            lblCaption.SetCaption(L"C:\\windows could not be listed");
        }
        const tk::Bitmap gradient = Gradient(64, 48);
        picImage.PaintPicture(gradient, 0, 0, picImage.ScaleWidth(), picImage.ScaleHeight() * 0.7);
        barLoad.SetValue(60);
        Timer1.SetRunning(true);
    }

private:
    tk::ListBox lstItems;
    tk::FileListBox File1;
    tk::DirListBox dirPath;
    tk::CheckBox chkOption;
    tk::PictureBox picImage;
    tk::Label lblInPicture;
    tk::Label lblLeft, lblCenter, lblRight, lblTicks;
    tk::ProgressBar barLoad;
    tk::Button cmdOk, cmdCancel, cmdDisabled;
    tk::Label lblCaption;
    tk::Shape Shape1;
    tk::Timer Timer1;
    tk::Button Command1;
    int ticks_ = 0;
};

}  // namespace

int main() {
    const tk::win32::Win32Platform platform;
    const tk::PlatformScope installed(platform.Get());
    DemoForm form;
    return tk::Run(form);
}
