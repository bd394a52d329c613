#include "toolkit/win32/Dpi.h"

#include "toolkit/win32/Win32Handles.h"

namespace tk::win32 {

int ScreenDpi() {
    static const int dpi = [] {
        WindowDc screen(nullptr);
        const int value = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
        return value > 0 ? value : 96;
    }();
    return dpi;
}

HFONT MessageFont() {
    static const UniqueFont font = [] {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        LOGFONTW face{};
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
            face = metrics.lfMessageFont;
        } else {
            // 8 points of the stock dialog face.
            face.lfHeight = -::MulDiv(8, ScreenDpi(), 72);
            face.lfWeight = FW_NORMAL;
            face.lfCharSet = DEFAULT_CHARSET;
            lstrcpynW(face.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
        }
        return UniqueFont(::CreateFontIndirectW(&face));
    }();
    return font ? font.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace tk::win32
