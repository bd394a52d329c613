// The controls a form can hold. Each keeps its whole state here, in the portable model; the
// backend's peer shows it and reports user actions back through the On... methods marked
// "called by the backend". Events are plain callbacks that a form wires to its handlers.
//
// Selection events fire whenever the selection changes, whether the user or the program set it:
// Win32 list boxes stay silent when the program sets the selection, so the model raises the event
// itself and both backends behave alike.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Peers.h"
#include "toolkit/Image.h"
#include "toolkit/Types.h"

namespace tk {

class Form;
class PictureBox;

enum class ControlKind {
    Button, Label, CheckBox, ListBox, FileListBox, DirListBox, PictureBox, Shape, ProgressBar,
    Timer,
};

class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    ControlKind Kind() const { return kind_; }
    const std::wstring& Name() const { return name_; }
    Form& Owner() const { return owner_; }
    // The picture box this control sits in, or null when it sits on the form itself.
    PictureBox* Container() const { return container_; }

    const RectTwips& Bounds() const { return bounds_; }
    void Move(RectTwips bounds);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    int TabIndex() const { return tabIndex_; }
    void SetTabIndex(int index) { tabIndex_ = index; }
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop);

    // Gives the control the focus. False, and nothing changes, when the form is not loaded or
    // the control is hidden, disabled, or of a kind that takes no focus.
    bool SetFocus();
    bool HasFocus() const;

    // Backend use: the peer while the form is loaded.
    ControlPeer* Peer() const { return peer_.get(); }
    void AttachPeer(std::unique_ptr<ControlPeer> peer) { peer_ = std::move(peer); }
    void DetachPeer() { peer_.reset(); }

protected:
    Control(Form& owner, ControlKind kind, std::wstring name, RectTwips bounds,
            PictureBox* container = nullptr);
    void Notify(Change what);
    virtual bool TakesFocus() const { return true; }

private:
    Form& owner_;
    ControlKind kind_;
    std::wstring name_;
    PictureBox* container_;
    RectTwips bounds_;
    bool visible_ = true;
    bool enabled_ = true;
    bool tabStop_ = true;
    int tabIndex_ = 0;
    std::unique_ptr<ControlPeer> peer_;
};

class Button : public Control {
public:
    Button(Form& owner, std::wstring name, std::wstring caption, RectTwips bounds);

    const std::wstring& Caption() const { return caption_; }  // "&" marks the access key
    void SetCaption(std::wstring caption);
    // The default button is pressed by Enter, the cancel button by Esc.
    bool IsDefault() const { return default_; }
    void SetDefault(bool value);
    bool IsCancel() const { return cancel_; }
    void SetCancel(bool value);

    std::function<void()> Click;
    // A press by the user (mouse, Enter, Esc, access key, space). Ignored while the button or its
    // form cannot be used. Called by the backend, and by tests as a person would.
    void OnUserPress();

private:
    std::wstring caption_;
    bool default_ = false;
    bool cancel_ = false;
};

class Label : public Control {
public:
    Label(Form& owner, std::wstring name, std::wstring caption, RectTwips bounds,
          PictureBox* container = nullptr);

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(std::wstring caption);
    Align Alignment() const { return alignment_; }
    void SetAlignment(Align alignment);
    Color ForeColor() const { return foreColor_; }
    void SetForeColor(Color color);

protected:
    bool TakesFocus() const override { return false; }

private:
    std::wstring caption_;
    Align alignment_ = Align::Left;
    Color foreColor_ = kButtonText;
};

class CheckBox : public Control {
public:
    CheckBox(Form& owner, std::wstring name, std::wstring caption, RectTwips bounds);

    const std::wstring& Caption() const { return caption_; }
    bool Checked() const { return checked_; }
    // Raises Click when the value changes.
    void SetChecked(bool checked);
    const std::wstring& ToolTip() const { return toolTip_; }
    void SetToolTip(std::wstring text);

    std::function<void()> Click;
    void OnUserToggle();  // called by the backend

private:
    std::wstring caption_;
    std::wstring toolTip_;
    bool checked_ = false;
};

class ListBox : public Control {
public:
    ListBox(Form& owner, std::wstring name, RectTwips bounds);

    void AddItem(std::wstring item);
    void Clear();
    int ListCount() const { return static_cast<int>(items_.size()); }
    const std::wstring& List(int index) const;  // throws std::out_of_range
    const std::vector<std::wstring>& Items() const { return items_; }

    // -1 when nothing is selected.
    int ListIndex() const { return index_; }
    // Selects `index` (-1 clears) and raises Click when the selection changes. Throws
    // std::out_of_range for an index outside -1 .. ListCount() - 1.
    void SetListIndex(int index);

    std::function<void()> Click;
    void OnUserSelect(int index);  // called by the backend; same as SetListIndex

protected:
    ListBox(Form& owner, ControlKind kind, std::wstring name, RectTwips bounds);
    void ReplaceItems(std::vector<std::wstring> items);

private:
    std::vector<std::wstring> items_;
    int index_ = -1;
};

// A list of the files of one folder that match a pattern list such as "*.jpg;*.gif".
class FileListBox : public ListBox {
public:
    FileListBox(Form& owner, std::wstring name, std::wstring pattern, RectTwips bounds);

    const std::wstring& Pattern() const { return pattern_; }
    void SetPattern(std::wstring pattern);  // re-lists the folder when one is set
    const std::wstring& Path() const { return path_; }
    // Lists the folder: files directly in it whose names match one of the patterns (letter case
    // ignored), hidden and system files left out, in the order of the names ignoring case; the
    // selection is cleared. Throws FileError when the folder cannot be listed; the list and path
    // then stay as they were.
    void SetPath(std::wstring path);
    void Refresh();

private:
    std::wstring pattern_;
    std::wstring path_;
};

// A folder tree of one drive: the folder shown, each of its ancestors, and its subfolders.
class DirListBox : public Control {
public:
    DirListBox(Form& owner, std::wstring name, RectTwips bounds);

    // The folder shown: "C:\" at a drive root, otherwise without a trailing backslash.
    const std::wstring& Path() const { return path_; }
    // Shows `path` and raises Change when it differs from the folder shown. Throws FileError
    // when the folder does not exist or cannot be listed; nothing changes then.
    void SetPath(const std::wstring& path);

    struct Entry {
        std::wstring path;   // full path of the folder
        std::wstring label;  // its name ("C:\" for the root)
        int depth = 0;       // 0 for the root
        bool current = false;
    };
    // The entries as shown: the root, each ancestor, the folder itself, then its subfolders.
    const std::vector<Entry>& Entries() const { return entries_; }
    int Highlighted() const { return highlighted_; }
    void SetHighlighted(int index);

    std::function<void()> Change;
    // The user opened an entry (double-click, or Enter on the highlighted one). Called by the
    // backend; a folder that vanished meanwhile is re-listed and nothing else happens.
    void OnUserOpen(int index);

private:
    void Rebuild(const std::wstring& path, std::vector<std::wstring> subfolders);

    std::wstring path_;
    std::vector<Entry> entries_;
    int highlighted_ = -1;
};

// A box that shows a picture and keeps a drawing surface of its own, which survives repaints.
// Its drawing units are twips; its inner size excludes the border.
class PictureBox : public Control {
public:
    PictureBox(Form& owner, std::wstring name, RectTwips bounds, bool border = true);

    Color BackColor() const { return backColor_; }
    void SetBackColor(Color color);

    // The picture assigned to the box, drawn at its top-left corner; null when none. The box
    // keeps the picture in this one form: what it shows of it is copied onto the drawing surface,
    // which is the size of the box, and the picture is saved from it as it is.
    const std::shared_ptr<const Picture24>& Picture() const { return picture_; }
    void SetPicture(std::shared_ptr<const Picture24> picture);
    // Decodes `path` into the box's picture. Throws PictureError or FileError; the picture stays
    // as it was then.
    void LoadPicture(const std::wstring& path);
    // The same for a picture that will only be drawn at the size `hint` gives: the picture may
    // then hold fewer pixels than the file, with the full size recorded (Picture24::FullWidth).
    void LoadPicture(const std::wstring& path, const DecodeHint& hint);
    void ClearPicture() { SetPicture(nullptr); }

    // Inner size in twips and in pixels.
    Twips ScaleWidth() const;
    Twips ScaleHeight() const;
    SizePx InnerPixels() const;

    // Erases the drawing surface to the back colour.
    void Cls();
    // Draws `picture` stretched into the rectangle given in twips (fractions allowed); what falls
    // outside the box is clipped.
    void PaintPicture(const Bitmap& picture, double left, double top, double width, double height);
    void PaintPicture(const Picture24& picture, double left, double top, double width, double height);
    // The drawing surface, the size of the inner area in pixels.
    const Bitmap& Surface() const;

    // Saves the picture as a Windows bitmap file, replacing any file of that name atomically.
    // Throws PictureError when there is no picture or the file cannot be written.
    void SavePicture(const std::wstring& path) const;
    // Saves the drawing surface (the box's own image) likewise.
    void SaveImage(const std::wstring& path) const;

    bool HasBorder() const { return border_; }

protected:
    bool TakesFocus() const override { return false; }

private:
    Bitmap& EnsureSurface() const;
    template <typename Source>
    void Paint(const Source& picture, double left, double top, double width, double height);

    bool border_;
    Color backColor_ = kButtonFace;
    std::shared_ptr<const Picture24> picture_;
    mutable Bitmap surface_;
};

class Shape : public Control {
public:
    Shape(Form& owner, std::wstring name, RectTwips bounds);
    Color BorderColor() const { return borderColor_; }

protected:
    bool TakesFocus() const override { return false; }

private:
    Color borderColor_ = kBlack;
};

class ProgressBar : public Control {
public:
    ProgressBar(Form& owner, std::wstring name, RectTwips bounds, float min = 0, float max = 100);
    float Min() const { return min_; }
    float Max() const { return max_; }
    float Value() const { return value_; }
    // Throws std::out_of_range for a value outside Min .. Max.
    void SetValue(float value);

protected:
    bool TakesFocus() const override { return false; }

private:
    float min_, max_, value_;
};

// Fires its Tick callback every Interval milliseconds while enabled and its form is loaded.
class Timer : public Control {
public:
    Timer(Form& owner, std::wstring name, int intervalMs);
    ~Timer() override;

    int Interval() const { return intervalMs_; }
    bool Running() const { return running_; }
    void SetRunning(bool running);

    std::function<void()> Tick;
    void OnElapsed();  // called by the backend

    // Backend use: the form was loaded or unloaded.
    void Arm();
    void Disarm();

protected:
    bool TakesFocus() const override { return false; }

private:
    int intervalMs_;
    bool running_ = false;
    bool armed_ = false;
};

}  // namespace tk
