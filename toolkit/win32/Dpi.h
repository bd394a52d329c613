// Screen resolution, the twips-to-pixels conversion at the edge of the backend, and the font
// every control uses.
#pragma once

#include <windows.h>

#include "toolkit/Types.h"

namespace tk::win32 {

// Logical pixels per inch of the screen, read once.
int ScreenDpi();

// Twips to pixels at `dpi`, rounded to the nearest pixel.
inline int TwipsToPx(Twips twips, int dpi) { return ::MulDiv(twips, dpi, kTwipsPerInch); }
inline int TwipsToPx(Twips twips) { return TwipsToPx(twips, ScreenDpi()); }

// The system's message font, shared by all controls; lives as long as the program.
HFONT MessageFont();

// 0x00BBGGRR colours are COLORREFs already.
inline COLORREF ToColorRef(Color color) { return static_cast<COLORREF>(color & 0xFFFFFF); }

// A colour as it is shown: a system colour (the default face and text, so that forms, labels and
// picture boxes match the buttons drawn beside and behind them, in any colour scheme) as the
// system gives it now.
inline COLORREF FaceColorRef(Color color) {
    return IsSystemColor(color) ? ::GetSysColor(SystemColorIndex(color)) : ToColorRef(color);
}

}  // namespace tk::win32
