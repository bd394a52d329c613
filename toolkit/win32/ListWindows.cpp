// List boxes: the plain list and the file list show the model's items; the folder list draws
// its entries itself, indented by depth with a folder icon each.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "base/win32/Handles.h"
#include "base/win32/WinCalls.h"
#include "toolkit/win32/ControlWindow.h"
#include "toolkit/win32/Dpi.h"
#include "toolkit/win32/FormWindow.h"

namespace tk::win32 {
namespace {

// Replaces a list box's strings without painting each step.
template <typename Range, typename Text>
void FillList(HWND list, const Range& items, Text text) {
    base::win32::SendMessageT(list, WM_SETREDRAW, FALSE, 0);
    base::win32::SendMessageT(list, LB_RESETCONTENT, 0, 0);
    base::win32::SendMessageT(list, LB_INITSTORAGE, items.size(), items.size() * 32 * sizeof(wchar_t));
    for (const auto& item : items) {
        base::win32::SendTextMessageT(list, LB_ADDSTRING, 0, text(item));
    }
    base::win32::SendMessageT(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

class ListWindow final : public ControlWindow {
public:
    ListWindow(FormWindow& form, ListBox& list) : ControlWindow(form, list), list_(list) {
        CreateFor(L"LISTBOX", L"", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL,
                  WS_EX_CLIENTEDGE);
        Refresh(Change::Items);
    }

    void OnCommand(WORD code) override {
        if (code != LBN_SELCHANGE) return;
        const auto index = static_cast<int>(base::win32::SendMessageT(hwnd(), LB_GETCURSEL, 0, 0));
        list_.OnUserSelect(index < 0 ? -1 : index);  // last: may unload the form
    }

protected:
    void Refresh(Change what) override {
        // A hidden list (the file list that only counts a folder's images) holds no strings:
        // filling a window nobody sees with tens of thousands of names costs seconds. It is
        // filled when it is shown.
        if (what == Change::Items || (what == Change::Visible && stale_)) {
            stale_ = !list_.Visible();
            const auto same = [](const std::wstring& s) -> const std::wstring& { return s; };
            if (stale_) {
                FillList(hwnd(), std::vector<std::wstring>(), same);
            } else {
                FillList(hwnd(), list_.Items(), same);
            }
            Refresh(Change::Selection);
        } else if (what == Change::Selection && !stale_) {
            // Setting the selection this way sends no notification: nothing echoes back.
            base::win32::SendMessageT(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(list_.ListIndex()), 0);
        }
    }

private:
    ListBox& list_;
    bool stale_ = false;  // the window's strings lag behind the model's items
};

class DirListWindow final : public ControlWindow {
public:
    DirListWindow(FormWindow& form, DirListBox& dir) : ControlWindow(form, dir), dir_(dir) {
        LoadIcons();
        CreateFor(L"LISTBOX", L"",
                  LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                      WS_VSCROLL,
                  WS_EX_CLIENTEDGE);
        if (!hwnd()) return;
        base::win32::SendMessageT(hwnd(), LB_SETITEMHEIGHT, 0, ItemHeight());
        Refresh(Change::Items);
    }

    void OnCommand(WORD code) override {
        const auto index = static_cast<int>(base::win32::SendMessageT(hwnd(), LB_GETCURSEL, 0, 0));
        if (code == LBN_SELCHANGE) {
            dir_.SetHighlighted(index);
        } else if (code == LBN_DBLCLK && index >= 0) {
            dir_.OnUserOpen(index);  // last: may unload the form
        }
    }

    bool OnDrawItem(const DRAWITEMSTRUCT& item) override {
        if (item.itemID == static_cast<UINT>(-1)) return true;
        const auto& entries = dir_.Entries();
        if (item.itemID >= entries.size()) return true;
        const DirListBox::Entry& entry = entries[item.itemID];
        const HDC dc = item.hDC;
        const bool selected = (item.itemState & ODS_SELECTED) != 0;
        const int dpi = ScreenDpi();

        ::FillRect(dc, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        // The folder shown and those above it are open; its subfolders closed.
        const bool open = !IsSubfolder(item.itemID);
        const int icon = ::MulDiv(16, dpi, 96);
        const int indent = ::MulDiv(8, dpi, 96);
        int x = item.rcItem.left + ::MulDiv(2, dpi, 96) + entry.depth * indent;
        const int y = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - icon) / 2;
        if (const HICON glyph = open ? openIcon_.Get() : closedIcon_.Get()) {
            ::DrawIconEx(dc, x, y, glyph, icon, icon, 0, nullptr, DI_NORMAL);
        } else {
            DrawFolder(dc, x, y, icon, open);
        }
        x += icon + ::MulDiv(4, dpi, 96);

        RECT text = item.rcItem;
        text.left = x;
        SelectScope font(dc, MessageFont());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        base::win32::DrawTextT(dc, entry.label, &text,
                               DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &item.rcItem);
        return true;
    }

protected:
    void Refresh(Change what) override {
        if (what == Change::Items) {
            FillList(hwnd(), dir_.Entries(), [](const DirListBox::Entry& e) -> const std::wstring& {
                return e.label;
            });
            Refresh(Change::Selection);
        } else if (what == Change::Selection) {
            base::win32::SendMessageT(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(dir_.Highlighted()), 0);
        }
    }

private:
    bool IsSubfolder(UINT index) const {
        const auto& entries = dir_.Entries();
        for (UINT i = 0; i < entries.size() && i <= index; ++i) {
            if (entries[i].current) return index > i;
        }
        return false;
    }

    int ItemHeight() const {
        WindowDc screen(nullptr);
        SelectScope font(screen.Get(), MessageFont());
        TEXTMETRICW metrics{};
        base::win32::GetTextMetricsT(screen.Get(), &metrics);
        const int icon = ::MulDiv(16, ScreenDpi(), 96);
        return std::max<int>(metrics.tmHeight, icon) + ::MulDiv(2, ScreenDpi(), 96);
    }

    void LoadIcons() {
        // The shell's own folder pictures, as any folder tree shows them.
        SHFILEINFOW info{};
        const UINT flags = SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES;
        if (base::win32::SHGetFileInfoT(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, flags)) {
            closedIcon_.Reset(info.hIcon);
        }
        info = {};
        if (base::win32::SHGetFileInfoT(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, flags | SHGFI_OPENICON)) {
            openIcon_.Reset(info.hIcon);
        }
    }

    // A plain folder shape for systems without shell icons.
    static void DrawFolder(HDC dc, int x, int y, int size, bool open) {
        UniqueBrush fill(::CreateSolidBrush(open ? RGB(255, 230, 140) : RGB(240, 200, 80)));
        UniquePen edge(::CreatePen(PS_SOLID, 1, RGB(150, 110, 20)));
        SelectScope usePen(dc, edge.Get());
        SelectScope useBrush(dc, fill.Get());
        const int tab = size / 3;
        ::Rectangle(dc, x, y + size / 8, x + tab, y + size / 4 + 1);
        ::Rectangle(dc, x, y + size / 4, x + size, y + size - size / 8);
    }

    DirListBox& dir_;
    UniqueIcon closedIcon_;
    UniqueIcon openIcon_;
};

}  // namespace

std::unique_ptr<ControlPeer> MakeListBoxPeer(FormWindow& form, ListBox& list) {
    return std::make_unique<ListWindow>(form, list);
}

std::unique_ptr<ControlPeer> MakeDirListPeer(FormWindow& form, DirListBox& dir) {
    return std::make_unique<DirListWindow>(form, dir);
}

}  // namespace tk::win32
