// The clock panel's geometry and its answers to the mouse, without a window: where the two
// bitmap buttons and the title go for a panel width, which region a pointer is in, and for a
// move, press or release which button frames to draw and what to do next.
#pragma once

#include "core/scale.h"
#include "core/mouse_buttons.h"

namespace tavik {

struct PanelGeometry {
  int width = 0;               // panel width W
  StripSize mini, exit;        // minimise and close strips
  int miniX = 0, miniY = 1;    // where the minimise frame is drawn
  int exitX = 0, exitY = 1;    // where the close frame is drawn
  PixelRect title;             // title text box; empty when the panel is too narrow
  // Regions, compared with the pointer as delivered: left <= x < right, top <= y <= bottom.
  // They begin below the border (y = 1 at 96 dpi) and the close region stops 4 px (at 96 dpi)
  // short of the panel's right edge.
  double miniLeft = 0, miniRight = 0, miniTop = 1, miniBottom = 0;
  double exitLeft = 0, exitRight = 0, exitTop = 1, exitBottom = 0;
};

// The strips are those drawn at dpi; the design's lengths are scaled to it.
PanelGeometry LayoutPanel(int panelWidth, StripSize mini = kShippedStrip,
                          StripSize exit = kShippedStrip, int dpi = kBaseDpi);

// Width of one frame of a strip, and where frame k (0..2) starts in it.
int FrameWidth(StripSize strip);
int FrameLeft(StripSize strip, int frame);

enum class PanelRegion { None, Minimise, Close };

PanelRegion HitPanel(const PanelGeometry& g, float x, float y);

inline constexpr int kKeepFrame = -1;  // leave the button as last drawn
inline constexpr int kNormalFrame = 0;
inline constexpr int kHoverFrame = 1;
inline constexpr int kPressedFrame = 2;

enum class CaptureChange { None, Set, Release };

enum class PanelCommand {
  None,
  HideWindow,   // minimise: the window goes to the tray
  CloseWindow,  // close: the program ends
  StartMove,    // drag the main window from the panel surface
};

// What to do, in this order: draw the two frames (unless kKeepFrame), change the capture,
// then run the command.
struct PanelReaction {
  int miniFrame = kKeepFrame;
  int exitFrame = kKeepFrame;
  CaptureChange capture = CaptureChange::None;
  PanelCommand command = PanelCommand::None;
};

// Pointer move (also those delivered through the capture): hover or pressed look over a
// button with the capture held, both buttons normal and the capture released elsewhere.
PanelReaction OnPanelMove(const PanelGeometry& g, int buttons, float x, float y);

// Press of one button: only the left acts. Pressed look over a button; elsewhere the window
// starts moving.
PanelReaction OnPanelPress(const PanelGeometry& g, int button, float x, float y);

// Release of one button: only the left acts. The place of the release decides, whatever the
// press was: hide over minimise, close over close, nothing elsewhere.
PanelReaction OnPanelRelease(const PanelGeometry& g, int button, float x, float y);

}  // namespace tavik
