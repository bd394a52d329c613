// Small value types of the toolkit: units, colours, handles and the kinds of things.
#pragma once

#include <cstdint>

namespace tk {

// Lengths in twips: 1/1440 inch; 15 twips make one pixel at 96 dpi.
using Twips = int;
constexpr int kTwipsPerInch = 1440;

// A window as the system knows it; 0 when there is none.
using WindowHandle = std::uintptr_t;

// Colours as 0x00BBGGRR: red in the low byte. A value with the top bit set is no RGB value but
// one of the system's colours, by its index; it becomes the RGB value the system gives it when
// it is drawn, so every 0x00BBGGRR value stays available as itself.
using Color = std::uint32_t;
constexpr Color kSystemColorFlag = 0x80000000;
constexpr Color SystemColor(int index) { return kSystemColorFlag | static_cast<Color>(index); }
constexpr bool IsSystemColor(Color color) { return (color & kSystemColorFlag) != 0; }
constexpr int SystemColorIndex(Color color) { return static_cast<int>(color & 0xFF); }

constexpr Color kBlack = 0x000000;
constexpr Color kRed = 0x0000FF;
constexpr Color kWhite = 0xFFFFFF;
constexpr Color kSilver = 0xC0C0C0;
constexpr Color kButtonFace = SystemColor(15);  // the default face of forms and picture boxes
constexpr Color kButtonText = SystemColor(18);  // the default text of labels, drawn on that face

struct RectTwips {
    Twips left = 0, top = 0, width = 0, height = 0;
};
struct SizePx {
    int width = 0, height = 0;
};
struct PointPx {
    int x = 0, y = 0;
};

enum class Align { Left, Right, Center };

enum class BorderStyle {
    None,
    FixedSingle,        // fixed frame with a caption
    Sizable,
    FixedToolWindow,    // small caption, not resizable
};

enum class StartPosition { Manual, CenterScreen, WindowsDefault };
enum class WindowState { Normal, Maximized };

// Coordinate units of a form or picture box.
enum class ScaleMode { Twip = 1, Pixel = 3 };

// Program-wide mouse pointers, by their usual numbers.
constexpr int kPointerDefault = 0;
constexpr int kPointerHourglass = 11;

// Message-box styles and answers, by the system's numbers.
constexpr int kMbOk = 0;
constexpr int kMbIconStop = 16;
constexpr int kMbIconExclamation = 48;
constexpr int kMbIconInformation = 64;
constexpr int kIdOk = 1;

}  // namespace tk
