// Snapping of the main window to the work area's edges while it is dragged: the rule the
// window procedure applies to every position change, stated without a window.
#pragma once

namespace tavik {

// An edge closer than this pulls the window: 20 px at 96 dpi, scaled at other resolutions.
inline constexpr int kSnapDistance = 20;

struct WorkArea {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct SnapPoint {
  int x = 0;
  int y = 0;
};

// The window's new top-left corner for a proposed position (x, y) and size (cx, cy). Left and
// top are tried first, right and bottom last, so a window near both edges of an axis ends at
// the right or bottom one. Each test uses x and y as the earlier steps left them.
// `distance`: kSnapDistance at the window's resolution.
SnapPoint SnapToWorkArea(const WorkArea& area, int x, int y, int cx, int cy, int distance = kSnapDistance);

// The top-left corner that puts a window of size (cx, cy) at (x, y) wholly into the area,
// moved no further than needed; a window larger than the area keeps its left or top edge on
// the area's. For a window whose monitor is gone.
SnapPoint KeepInWorkArea(const WorkArea& area, int x, int y, int cx, int cy);

}  // namespace tavik
