#include "controls/panel_regions.h"

#include "core/mouse_buttons.h"

#include <cmath>

namespace tavik {

int FrameWidth(StripSize strip) { return strip.width > 0 ? strip.width / 3 : 0; }

int FrameLeft(StripSize strip, int frame) {
  if (frame < 0 || frame > 2) frame = 0;
  return frame * FrameWidth(strip);
}

PanelGeometry LayoutPanel(int panelWidth, StripSize mini, StripSize exit, int dpi) {
  const auto s = [dpi](int px) { return Scale(px, dpi); };
  PanelGeometry g;
  g.width = panelWidth;
  g.mini = mini;
  g.exit = exit;

  const double w = panelWidth;
  const double bothThirds = (static_cast<double>(exit.width) + mini.width) / 3.0;
  const double exitThird = exit.width / 3.0;

  g.miniLeft = w - bothThirds - s(1);
  g.miniRight = w - exitThird - s(1);
  g.miniTop = g.exitTop = s(1);
  g.miniY = g.exitY = s(1);
  g.miniBottom = g.miniY + mini.height - 1;  // the frame's last row
  g.exitLeft = w - exitThird - s(1);
  g.exitRight = w - s(4);
  g.exitBottom = g.exitY + exit.height - 1;

  // Drawing positions are whole pixels; half pixels go to the even neighbour.
  g.miniX = static_cast<int>(std::nearbyint(g.miniLeft));
  g.exitX = static_cast<int>(std::nearbyint(g.exitLeft));

  g.title = {s(8), 0, static_cast<int>(std::nearbyint(w - s(8) - bothThirds)), s(26)};
  if (g.title.right < g.title.left) g.title.right = g.title.left;
  return g;
}

PanelRegion HitPanel(const PanelGeometry& g, float x, float y) {
  const double px = x;
  const double py = y;
  if (py >= g.miniTop && py <= g.miniBottom && px >= g.miniLeft && px < g.miniRight) {
    return PanelRegion::Minimise;
  }
  if (py >= g.exitTop && py <= g.exitBottom && px >= g.exitLeft && px < g.exitRight) {
    return PanelRegion::Close;
  }
  return PanelRegion::None;
}

PanelReaction OnPanelMove(const PanelGeometry& g, int buttons, float x, float y) {
  const int active = buttons == kLeftButton ? kPressedFrame : kHoverFrame;
  PanelReaction r;
  switch (HitPanel(g, x, y)) {
    case PanelRegion::Minimise:
      r.miniFrame = active;
      r.exitFrame = kNormalFrame;
      r.capture = CaptureChange::Set;
      break;
    case PanelRegion::Close:
      r.miniFrame = kNormalFrame;
      r.exitFrame = active;
      r.capture = CaptureChange::Set;
      break;
    case PanelRegion::None:
      r.miniFrame = kNormalFrame;
      r.exitFrame = kNormalFrame;
      r.capture = CaptureChange::Release;
      break;
  }
  return r;
}

PanelReaction OnPanelPress(const PanelGeometry& g, int button, float x, float y) {
  PanelReaction r;
  if (button != kLeftButton) return r;
  switch (HitPanel(g, x, y)) {
    case PanelRegion::Minimise:
      r.miniFrame = kPressedFrame;
      break;
    case PanelRegion::Close:
      r.exitFrame = kPressedFrame;
      break;
    case PanelRegion::None:
      r.capture = CaptureChange::Release;
      r.command = PanelCommand::StartMove;
      break;
  }
  return r;
}

PanelReaction OnPanelRelease(const PanelGeometry& g, int button, float x, float y) {
  PanelReaction r;
  if (button != kLeftButton) return r;
  switch (HitPanel(g, x, y)) {
    case PanelRegion::Minimise:
      r.miniFrame = kNormalFrame;
      r.command = PanelCommand::HideWindow;
      break;
    case PanelRegion::Close:
      r.exitFrame = kNormalFrame;
      r.command = PanelCommand::CloseWindow;
      break;
    case PanelRegion::None:
      break;
  }
  return r;
}

}  // namespace tavik
