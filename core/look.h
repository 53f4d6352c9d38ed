// The program's colours and fonts, each named once: the windows and controls take them from here.
#pragma once

#include <windows.h>

#include "core/scale.h"

namespace tavik {

// The program's red: the main window, the clock panel and the popup.
inline constexpr COLORREF kProgramRed = RGB(165, 55, 55);
// The darker red of the clock panel's border and the popup's frame.
inline constexpr COLORREF kFrameRed = RGB(150, 40, 40);
// What lights up under the pointer (a task row, the new-task button): its back, its text.
inline constexpr COLORREF kHoverBack = RGB(200, 90, 90);
inline constexpr COLORREF kHoverText = RGB(255, 255, 255);
// Text on the red.
inline constexpr COLORREF kTextOnRed = RGB(255, 255, 255);
// A control at rest (a task row, the new-task button): its back, its text.
inline constexpr COLORREF kRestBack = RGB(255, 255, 255);
inline constexpr COLORREF kRestText = RGB(100, 100, 100);
// The message bar: its yellow and its blue text.
inline constexpr COLORREF kBarBack = RGB(255, 245, 185);
inline constexpr COLORREF kBarText = RGB(0, 110, 190);

// The program's fonts, made once for each resolution: points at dpi.
HFONT UiFont(const wchar_t* face, double points, int dpi = kBaseDpi, int weight = FW_NORMAL,
             BYTE charset = GB2312_CHARSET);
// The text of every window and control.
HFONT YaHei9(int dpi = kBaseDpi);
// The large time: of the clock panel (hh:mm), of a task row, of the popup.
HFONT ClockTimeFont(int dpi);
HFONT RowTimeFont(int dpi);
HFONT PopupTimeFont(int dpi);

}  // namespace tavik
