// controls/: the owner-drawn controls (clock panel, task row, new-task button, message bar)
// and where every window's pieces go at a resolution; built on core/ alone.
//
// Where everything of the program's windows goes, at any screen resolution. The design is
// drawn at 96 dpi; at another dpi every length is scaled by dpi / 96, edges rather than
// sizes, so that what meets at 96 dpi still meets. At 96 dpi the numbers are the design's own.
#pragma once

#include <array>

#include "controls/panel_regions.h"

namespace tavik {

// Pictures (the panel's button strips, the message bar's close mark) are drawn for 100 %,
// 150 % and 200 %. A picture of `cells` side by side cells of `cell` pixels at 96 dpi.
inline constexpr std::array<int, 3> kArtPercents{100, 150, 200};
struct ArtPick {
  int percent = 100;  // which drawing to load
  StripSize art;      // its size
  StripSize drawn;    // the size it is shown at: art itself, or art scaled down (up past 200 %)
};
// The drawing of the nearest larger percent, the largest one past it.
ArtPick PickArt(StripSize cell, int cells, int dpi);
// The size of the drawing for `percent`: each cell scaled, so frames stay whole pixels.
StripSize ArtSize(StripSize cell, int cells, int percent);
// The resource of the drawing for `percent`, from that of the 100 % one.
constexpr int ArtResourceId(int id100, int percent) { return id100 + percent - 100; }

inline constexpr StripSize kButtonFrame{27, 21};   // one frame of a panel button strip
inline constexpr int kButtonFrames = 3;           // normal, hover, pressed
inline constexpr StripSize kCloseMarkCell{22, 22};  // the message bar's close mark

// The main window and the children it places.
struct MainLayout {
  int dpi = kBaseDpi;
  int width = 0, height = 0;  // the window (it has no frame)
  PixelRect newButton;
  int rowWidth = 0, rowHeight = 0;
  int rowLeft = 0;      // where a row rests once it slid in
  int templateTop = 0;  // the hidden template row: its bottom meets the new-task button's
  int slideStart = 0, slideStep = 0, slideEnd = 0;  // a new row slides while left >= slideEnd
  PixelRect messageBar;
  PixelRect messageText;   // in the bar
  PixelRect messageClose;  // in the bar, at its right end
  int messageFocusInset = 1;
};
MainLayout LayoutMain(int dpi);

// The clock panel's labels and border.
struct ClockLayout {
  int border = 1;
  int timeX = 0, timeY = 0;
  int secondTop = 0, secondGap = 0;  // the seconds stand secondGap right of the hours and minutes
  int dateX = 0, dateY = 0;
};
ClockLayout LayoutClock(int dpi);

// A task row.
struct RowLayout {
  int width = 0, height = 0;
  int timeX = 0, timeY = 0;
  int cycleRight = 0, cycleTop = 0;  // the cycle is right-aligned
  int infoLeft = 0, infoWidth = 0, infoHeight = 0;
  PixelRect infoDesign;  // the text's box until the row is shown and measures its font
  int infoBandTop = 0, infoBandHeight = 0;  // the first line of the text is centred in it
  int focusInset = 0;
  int tooltipWidth = 0;
};
RowLayout LayoutRow(int dpi);
// The reminder text's box for a font of this line height.
PixelRect RowInfoRect(const RowLayout& row, int lineHeight);

// The new-task button.
struct NewButtonLayout {
  int width = 0, height = 0;
  PixelRect plusBar, plusPost;
  int captionLeft = 0;
  int focusInset = 0;
};
NewButtonLayout LayoutNewButton(int dpi);
// The caption centred on the height of one line; halves go to the even pixel.
int CaptionTop(int buttonHeight, int lineHeight);

// The reminder popup.
struct PopupLayout {
  int width = 0, height = 0;  // client area; the window has no frame
  int bottomGap = 0;          // above the screen's bottom
  int slideStep = 0;
  int border = 1;
  PixelRect timeBox, infoBox, closeBox;
};
PopupLayout LayoutPopup(int dpi);

// The new-task dialog's client area and controls.
struct DialogLayout {
  int clientWidth = 0, clientHeight = 0;
  PixelRect create, cancel, tips;
  PixelRect hour, minute;  // as the closed lists are; the open list drops dropHeight below
  int listHeight = 0, dropHeight = 0;
  std::array<PixelRect, 7> week;
  PixelRect sound;
  PixelRect timeLabel, hourLabel, minuteLabel, repeatLabel, tipsLabel, counter;
};
DialogLayout LayoutDialog(int dpi);

}  // namespace tavik
