#include "toolkit/Controls.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "base/CaseFold.h"
#include "toolkit/App.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Form.h"
#include "toolkit/Platform.h"

namespace tk {

// --- Control ------------------------------------------------------------------------------------

Control::Control(Form& owner, ControlKind kind, std::wstring name, RectTwips bounds,
                 PictureBox* container)
    : owner_(owner), kind_(kind), name_(std::move(name)), container_(container), bounds_(bounds) {
    owner_.Register(*this);
}

Control::~Control() {
    peer_.reset();
    owner_.Unregister(*this);
}

void Control::Notify(Change what) {
    if (peer_) peer_->Update(what);
}

void Control::Move(RectTwips bounds) {
    bounds_ = bounds;
    Notify(Change::Geometry);
}

void Control::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (!visible && HasFocus()) owner_.SetFocused(nullptr);
    Notify(Change::Visible);
}

void Control::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (!enabled && HasFocus()) owner_.SetFocused(nullptr);
    Notify(Change::Enabled);
}

void Control::SetTabStop(bool tabStop) {
    tabStop_ = tabStop;
    Notify(Change::Flags);
}

bool Control::SetFocus() {
    if (!owner_.IsLoaded() || !owner_.IsVisible() || !visible_ || !enabled_ || !TakesFocus()) {
        return false;
    }
    if (peer_ && !peer_->Focus()) return false;
    owner_.SetFocused(this);
    return true;
}

bool Control::HasFocus() const { return owner_.ActiveControl() == this; }

// --- Button -------------------------------------------------------------------------------------

Button::Button(Form& owner, std::wstring name, std::wstring caption, RectTwips bounds)
    : Control(owner, ControlKind::Button, std::move(name), bounds), caption_(std::move(caption)) {}

void Button::SetCaption(std::wstring caption) {
    caption_ = std::move(caption);
    Notify(Change::Caption);
}

void Button::SetDefault(bool value) {
    default_ = value;
    Notify(Change::Flags);
}

void Button::SetCancel(bool value) {
    cancel_ = value;
    Notify(Change::Flags);
}

void Button::OnUserPress() {
    if (!Enabled() || !Visible() || !Owner().IsLoaded()) return;
    if (Click) Click();
}

// --- Label --------------------------------------------------------------------------------------

Label::Label(Form& owner, std::wstring name, std::wstring caption, RectTwips bounds,
             PictureBox* container)
    : Control(owner, ControlKind::Label, std::move(name), bounds, container),
      caption_(std::move(caption)) {}

void Label::SetCaption(std::wstring caption) {
    caption_ = std::move(caption);
    Notify(Change::Caption);
}

void Label::SetAlignment(Align alignment) {
    alignment_ = alignment;
    Notify(Change::Flags);
}

void Label::SetForeColor(Color color) {
    foreColor_ = color;
    Notify(Change::Colors);
}

// --- CheckBox -----------------------------------------------------------------------------------

CheckBox::CheckBox(Form& owner, std::wstring name, std::wstring caption, RectTwips bounds)
    : Control(owner, ControlKind::CheckBox, std::move(name), bounds),
      caption_(std::move(caption)) {}

void CheckBox::SetChecked(bool checked) {
    if (checked_ == checked) return;
    checked_ = checked;
    Notify(Change::Selection);
    if (Click) Click();
}

void CheckBox::SetToolTip(std::wstring text) {
    toolTip_ = std::move(text);
    Notify(Change::Flags);
}

void CheckBox::OnUserToggle() {
    if (!Enabled() || !Visible()) return;
    SetChecked(!checked_);
}

// --- ListBox ------------------------------------------------------------------------------------

ListBox::ListBox(Form& owner, std::wstring name, RectTwips bounds)
    : ListBox(owner, ControlKind::ListBox, std::move(name), bounds) {}

ListBox::ListBox(Form& owner, ControlKind kind, std::wstring name, RectTwips bounds)
    : Control(owner, kind, std::move(name), bounds) {}

void ListBox::AddItem(std::wstring item) {
    items_.push_back(std::move(item));
    Notify(Change::Items);
}

void ListBox::Clear() {
    items_.clear();
    index_ = -1;
    Notify(Change::Items);
}

const std::wstring& ListBox::List(int index) const {
    if (index < 0 || index >= ListCount()) throw std::out_of_range("list index out of range");
    return items_[static_cast<std::size_t>(index)];
}

void ListBox::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) throw std::out_of_range("list index out of range");
    if (index == index_) return;
    index_ = index;
    Notify(Change::Selection);
    if (Click) Click();
}

void ListBox::OnUserSelect(int index) {
    if (index < -1 || index >= ListCount()) return;
    SetListIndex(index);
}

void ListBox::ReplaceItems(std::vector<std::wstring> items) {
    items_ = std::move(items);
    index_ = -1;
    Notify(Change::Items);
}

// --- FileListBox --------------------------------------------------------------------------------

namespace {

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return base::EqualsIgnoringCase(a, b);
}

}  // namespace

FileListBox::FileListBox(Form& owner, std::wstring name, std::wstring pattern, RectTwips bounds)
    : ListBox(owner, ControlKind::FileListBox, std::move(name), bounds),
      pattern_(std::move(pattern)) {}

void FileListBox::SetPattern(std::wstring pattern) {
    pattern_ = std::move(pattern);
    if (!path_.empty()) Refresh();
}

void FileListBox::SetPath(std::wstring path) {
    // A name matched by two patterns is listed once; the list is in the order of the names
    // ignoring letter case (the listing's own order).
    std::vector<std::wstring> names = fs::ListFiles(path, pattern_);
    path_ = std::move(path);
    ReplaceItems(std::move(names));
}

void FileListBox::Refresh() { SetPath(path_); }

// --- DirListBox ---------------------------------------------------------------------------------

namespace {

// "C:\Pics\" and "C:\Pics" are the same folder; a drive root keeps its backslash.
std::wstring NormalizeFolder(std::wstring path) {
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    if (path.size() == 2 && path[1] == L':') path += L'\\';
    return path;
}

}  // namespace

DirListBox::DirListBox(Form& owner, std::wstring name, RectTwips bounds)
    : Control(owner, ControlKind::DirListBox, std::move(name), bounds) {}

void DirListBox::SetPath(const std::wstring& path) {
    const std::wstring folder = NormalizeFolder(path);
    if (folder.size() < 3 || folder[1] != L':' || !fs::FolderExists(folder)) {
        throw FileError("Path not found: " + std::string(folder.begin(), folder.end()));
    }
    std::vector<std::wstring> subfolders = fs::ListFolders(folder);
    const bool changed = !SameIgnoringCase(folder, path_);
    Rebuild(folder, std::move(subfolders));
    if (changed && Change) Change();
}

void DirListBox::Rebuild(const std::wstring& folder, std::vector<std::wstring> subfolders) {
    path_ = folder;
    entries_.clear();
    // The root, then every folder on the way down to the one shown.
    std::wstring sofar = folder.substr(0, 3);
    entries_.push_back({sofar, sofar, 0, false});
    std::size_t start = 3;
    int depth = 0;
    while (start < folder.size()) {
        const std::size_t end = std::min(folder.find(L'\\', start), folder.size());
        const std::wstring name = folder.substr(start, end - start);
        sofar = folder.substr(0, end);
        entries_.push_back({sofar, name, ++depth, false});
        start = end + 1;
    }
    entries_.back().current = true;
    highlighted_ = static_cast<int>(entries_.size()) - 1;
    const std::wstring prefix = folder.size() == 3 ? folder : folder + L"\\";
    for (const std::wstring& name : subfolders) {
        entries_.push_back({prefix + name, name, depth + 1, false});
    }
    Notify(Change::Items);
}

void DirListBox::SetHighlighted(int index) {
    if (index < 0 || index >= static_cast<int>(entries_.size())) return;
    highlighted_ = index;
    Notify(Change::Selection);
}

void DirListBox::OnUserOpen(int index) {
    if (index < 0 || index >= static_cast<int>(entries_.size())) return;
    const std::wstring target = entries_[static_cast<std::size_t>(index)].path;
    try {
        SetPath(target);
    } catch (const FileError&) {
        // The folder went away since it was listed: show the current folder's subfolders anew.
        try {
            Rebuild(path_, fs::ListFolders(path_));
        } catch (const FileError&) {
        }
    }
}

// --- PictureBox ---------------------------------------------------------------------------------

namespace {

constexpr int kBorderPixels = 2;  // a sunken 3-D frame

}  // namespace

PictureBox::PictureBox(Form& owner, std::wstring name, RectTwips bounds, bool border)
    : Control(owner, ControlKind::PictureBox, std::move(name), bounds), border_(border) {}

void PictureBox::SetBackColor(Color color) {
    backColor_ = color;
    Cls();
    Notify(Change::Colors);
}

SizePx PictureBox::InnerPixels() const {
    const int frame = border_ ? 2 * kBorderPixels : 0;
    return {std::max(0, TwipsToPixels(Bounds().width) - frame),
            std::max(0, TwipsToPixels(Bounds().height) - frame)};
}

Twips PictureBox::ScaleWidth() const { return InnerPixels().width * Screen::TwipsPerPixelX(); }
Twips PictureBox::ScaleHeight() const { return InnerPixels().height * Screen::TwipsPerPixelY(); }

namespace {

// Colours are kept as 0x00BBGGRR or as a system colour; pixels as 0x00RRGGBB.
std::uint32_t ColorToPixel(Color color) {
    color = ColorValue(color);
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

// Copies `picture` 1:1 with its top-left corner at the surface's, clipped.
void Blit(Bitmap& surface, const Picture24& picture) {
    const int w = std::min(surface.width, picture.width);
    const int h = std::min(surface.height, picture.height);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) surface.at(x, y) = picture.at(x, y);
    }
}

}  // namespace

Bitmap& PictureBox::EnsureSurface() const {
    const SizePx inner = InnerPixels();
    if (surface_.width != inner.width || surface_.height != inner.height) {
        surface_ = Bitmap(inner.width, inner.height, ColorToPixel(backColor_));
        if (picture_) Blit(surface_, *picture_);
    }
    return surface_;
}

const Bitmap& PictureBox::Surface() const { return EnsureSurface(); }

void PictureBox::SetPicture(std::shared_ptr<const Picture24> picture) {
    picture_ = std::move(picture);
    Cls();
}

void PictureBox::LoadPicture(const std::wstring& path) { LoadPicture(path, DecodeHint{}); }

void PictureBox::LoadPicture(const std::wstring& path, const DecodeHint& hint) {
    SetPicture(std::make_shared<const Picture24>(DecodePicture(path, hint)));
}

void PictureBox::Cls() {
    Bitmap& surface = EnsureSurface();
    std::fill(surface.pixels.begin(), surface.pixels.end(), ColorToPixel(backColor_));
    if (picture_) Blit(surface, *picture_);
    Notify(Change::Picture);
}

void PictureBox::PaintPicture(const Bitmap& picture, double left, double top, double width,
                              double height) {
    Paint(picture, left, top, width, height);
}

void PictureBox::PaintPicture(const Picture24& picture, double left, double top, double width,
                              double height) {
    Paint(picture, left, top, width, height);
}

template <typename Source>
void PictureBox::Paint(const Source& picture, double left, double top, double width, double height) {
    if (picture.empty() || width == 0 || height == 0) return;
    Bitmap& surface = EnsureSurface();
    // Destination rectangle in pixels; a negative extent mirrors the picture.
    const double x0 = left / Screen::TwipsPerPixelX();
    const double y0 = top / Screen::TwipsPerPixelY();
    const double w = width / Screen::TwipsPerPixelX();
    const double h = height / Screen::TwipsPerPixelY();
    const double xa = std::min(x0, x0 + w), xb = std::max(x0, x0 + w);
    const double ya = std::min(y0, y0 + h), yb = std::max(y0, y0 + h);
    const int dx0 = std::max(0, static_cast<int>(std::floor(xa + 0.5)));
    const int dx1 = std::min(surface.width, static_cast<int>(std::floor(xb + 0.5)));
    const int dy0 = std::max(0, static_cast<int>(std::floor(ya + 0.5)));
    const int dy1 = std::min(surface.height, static_cast<int>(std::floor(yb + 0.5)));
    for (int dy = dy0; dy < dy1; ++dy) {
        // Nearest source pixel to the centre of each destination pixel.
        const double fy = (dy + 0.5 - y0) / h;
        const int sy = std::clamp(static_cast<int>(std::floor(fy * picture.height)), 0,
                                  picture.height - 1);
        for (int dx = dx0; dx < dx1; ++dx) {
            const double fx = (dx + 0.5 - x0) / w;
            const int sx = std::clamp(static_cast<int>(std::floor(fx * picture.width)), 0,
                                      picture.width - 1);
            surface.at(dx, dy) = picture.at(sx, sy);
        }
    }
    Notify(Change::Picture);
}

void PictureBox::SavePicture(const std::wstring& path) const {
    if (!picture_) throw PictureError("The picture box holds no picture to save.");
    SaveBitmapFile(*picture_, path);
}

void PictureBox::SaveImage(const std::wstring& path) const { SaveBitmapFile(EnsureSurface(), path); }

// --- Shape, ProgressBar -------------------------------------------------------------------------

Shape::Shape(Form& owner, std::wstring name, RectTwips bounds)
    : Control(owner, ControlKind::Shape, std::move(name), bounds) {}

ProgressBar::ProgressBar(Form& owner, std::wstring name, RectTwips bounds, float min, float max)
    : Control(owner, ControlKind::ProgressBar, std::move(name), bounds),
      min_(min), max_(max), value_(min) {}

void ProgressBar::SetValue(float value) {
    if (!(value >= min_ && value <= max_)) throw std::out_of_range("progress value out of range");
    if (value == value_) return;
    value_ = value;
    Notify(Change::Value);
}

// --- Timer --------------------------------------------------------------------------------------

Timer::Timer(Form& owner, std::wstring name, int intervalMs)
    : Control(owner, ControlKind::Timer, std::move(name), {}), intervalMs_(intervalMs) {}

Timer::~Timer() { Disarm(); }

void Timer::SetRunning(bool running) {
    if (running_ == running) return;
    running_ = running;
    if (!armed_) return;
    if (running_) {
        CurrentPlatform().windows.StartTimer(*this, intervalMs_);
    } else {
        CurrentPlatform().windows.StopTimer(*this);
    }
}

void Timer::Arm() {
    if (armed_) return;
    armed_ = true;
    if (running_) CurrentPlatform().windows.StartTimer(*this, intervalMs_);
}

void Timer::Disarm() {
    if (!armed_) return;
    if (running_) CurrentPlatform().windows.StopTimer(*this);
    armed_ = false;
}

void Timer::OnElapsed() {
    if (armed_ && running_ && Tick) Tick();
}

}  // namespace tk
