// Picture boxes: a window that shows the box's drawing surface pixel for pixel, inside a sunken
// frame when the box has a border. Labels placed in the box are child windows of it.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "toolkit/win32/ControlWindow.h"
#include "toolkit/win32/Dpi.h"
#include "toolkit/win32/FormWindow.h"

namespace tk::win32 {
namespace {

constexpr wchar_t kPictureClass[] = L"TkPictureBox";

class PictureWindow final : public ControlWindow {
public:
    PictureWindow(FormWindow& form, PictureBox& box) : ControlWindow(form, box), box_(box) {
        RegisterOwnClass(kPictureClass, nullptr);
        CreateFor(kPictureClass, L"", WS_CLIPCHILDREN, box.HasBorder() ? WS_EX_CLIENTEDGE : 0);
    }

    HBRUSH OnCtlColor(HDC dc) override {
        ::SetBkColor(dc, FaceColorRef(box_.BackColor()));
        return SolidBrush(FaceColorRef(box_.BackColor()));
    }

protected:
    void Refresh(Change what) override {
        if (what == Change::Picture || what == Change::Colors || what == Change::Geometry) {
            // The labels inside show the surface behind their text: they are repainted too.
            ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        }
    }

    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (RouteChildMessage(message, wParam, lParam, result)) return true;  // may unload
        return HandlePaintMessage(message, wParam, result, [this](HDC dc) { Paint(dc); });
    }

private:
    void Paint(HDC dc) {
        RECT client{};
        ::GetClientRect(hwnd(), &client);
        PaintSurfacePart(dc, box_, {0, 0}, {client.right, client.bottom});
        form().PaintShapes(dc, &box_);
    }

    PictureBox& box_;
};

}  // namespace

void PaintSurfacePart(HDC dc, const PictureBox& box, POINT origin, SIZE size) {
    if (size.cx <= 0 || size.cy <= 0) return;
    const Bitmap& surface = box.Surface();
    // What the surface does not cover shows the back colour.
    const HBRUSH brush = SolidBrush(FaceColorRef(box.BackColor()));
    const int shownW = std::max(0L, std::min<long>(size.cx, surface.width - origin.x));
    const int shownH = std::max(0L, std::min<long>(size.cy, surface.height - origin.y));
    if (shownW < size.cx) {
        const RECT right{shownW, 0, size.cx, size.cy};
        ::FillRect(dc, &right, brush);
    }
    if (shownH < size.cy) {
        const RECT bottom{0, shownH, shownW, size.cy};
        ::FillRect(dc, &bottom, brush);
    }
    if (shownW <= 0 || shownH <= 0) return;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = surface.width;
    info.bmiHeader.biHeight = -surface.height;  // top-down rows, as the surface keeps them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // The whole surface, shifted so that `origin` lands at (0, 0), clipped to the area asked
    // for: no partial-rectangle arithmetic on top-down bitmaps.
    // The surface holds the back colour as the system gave it when the box was cleared.
    const void* bits = surface.pixels.data();
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, 0, 0, shownW, shownH);
    ::SetDIBitsToDevice(dc, -origin.x, -origin.y, static_cast<DWORD>(surface.width),
                        static_cast<DWORD>(surface.height), 0, 0, 0,
                        static_cast<UINT>(surface.height), bits, &info,
                        DIB_RGB_COLORS);
    ::RestoreDC(dc, saved);
}

std::unique_ptr<ControlPeer> MakePicturePeer(FormWindow& form, PictureBox& box) {
    return std::make_unique<PictureWindow>(form, box);
}

}  // namespace tk::win32
