#include "toolkit/win32/Dpi.h"

#include <algorithm>
#include <iterator>

#include "base/win32/Handles.h"
#include "base/win32/WinCalls.h"

namespace tk::win32 {

using base::win32::UniqueFont;
using base::win32::WindowDc;

int ScreenDpi() {
    static const int dpi = [] {
        WindowDc screen(nullptr);
        const int value = screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSX) : 0;
        return value > 0 ? value : 96;
    }();
    return dpi;
}

HFONT MessageFont() {
    // The layouts are measured in twips for the 8-point dialog face, so that face is used at
    // every resolution, whatever message font the system prefers (a larger one would no longer
    // fit the buttons and labels).
    static const UniqueFont font = [] {
        LOGFONTW face{};
        face.lfHeight = -::MulDiv(8, ScreenDpi(), 72);
        face.lfWeight = FW_NORMAL;
        face.lfCharSet = DEFAULT_CHARSET;
        face.lfQuality = DEFAULT_QUALITY;
        constexpr wchar_t kFace[] = L"MS Shell Dlg";
        std::copy(std::begin(kFace), std::end(kFace), face.lfFaceName);
        return UniqueFont(base::win32::CreateFontIndirectT(face));
    }();
    return font ? font.Get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace tk::win32
