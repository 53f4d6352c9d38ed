#include "controls/panel_regions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace tavik {
namespace {

constexpr int kW = 242;  // the main window's width; the panel covers it

TEST(PanelRegions, GeometryFromTheStrips) {
  const PanelGeometry g = LayoutPanel(kW);
  EXPECT_EQ(g.miniX, kW - 55);
  EXPECT_EQ(g.miniY, 1);
  EXPECT_EQ(g.exitX, kW - 28);
  EXPECT_EQ(g.exitY, 1);
  EXPECT_EQ(g.title.left, 8);
  EXPECT_EQ(g.title.top, 0);
  EXPECT_EQ(g.title.right, kW - 62);
  EXPECT_EQ(g.title.bottom, 26);
  EXPECT_EQ(FrameWidth(kShippedStrip), 27);
  EXPECT_EQ(FrameLeft(kShippedStrip, 0), 0);
  EXPECT_EQ(FrameLeft(kShippedStrip, 1), 27);
  EXPECT_EQ(FrameLeft(kShippedStrip, 2), 54);
  EXPECT_EQ(FrameLeft(kShippedStrip, 7), 0);

  // Other strips: everything follows their sizes.
  const PanelGeometry wide = LayoutPanel(300, {90, 24}, {60, 20});
  EXPECT_EQ(wide.miniX, 300 - 50 - 1);
  EXPECT_EQ(wide.exitX, 300 - 20 - 1);
  EXPECT_EQ(wide.title.right, 300 - 8 - 50);
  EXPECT_EQ(HitPanel(wide, 260, 24), PanelRegion::Minimise);
  EXPECT_EQ(HitPanel(wide, 285, 21), PanelRegion::None);  // close strip is only 20 high

  // Too narrow for a title: an empty box, never one with its right before its left.
  const PanelGeometry narrow = LayoutPanel(60);
  EXPECT_EQ(narrow.title.right, narrow.title.left);
  const PanelGeometry none = LayoutPanel(0, {0, 0}, {0, 0});
  EXPECT_EQ(HitPanel(none, 0, 0), PanelRegion::None);
}

TEST(PanelRegions, HitRegions) {
  const PanelGeometry g = LayoutPanel(kW);
  struct Row {
    float x, y;
    PanelRegion region;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Row rows[] = {
      {kW - 55, 1, PanelRegion::Minimise},
      {kW - 29, 21, PanelRegion::Minimise},
      {kW - 28.5f, 10, PanelRegion::Minimise},  // fractional positions as delivered
      {kW - 28, 1, PanelRegion::Close},
      {kW - 5, 21, PanelRegion::Close},
      {kW - 4.5f, 10, PanelRegion::Close},
      {kW - 56, 10, PanelRegion::None},
      {kW - 55.5f, 10, PanelRegion::None},
      {kW - 4, 10, PanelRegion::None},  // the close button's three right columns are dead
      {kW - 3, 10, PanelRegion::None},
      {kW - 2, 10, PanelRegion::None},
      {kW - 40, 0, PanelRegion::None},  // the top row is the border
      {kW - 10, 0, PanelRegion::None},
      {kW - 40, 0.5f, PanelRegion::None},
      {kW - 40, 21.5f, PanelRegion::None},
      {kW - 40, 22, PanelRegion::None},
      {10, 10, PanelRegion::None},
      {-1, -1, PanelRegion::None},
      {nan, 10, PanelRegion::None},
      {kW - 40, nan, PanelRegion::None},
      {1e30f, 10, PanelRegion::None},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(HitPanel(g, r.x, r.y), r.region) << r.x << "," << r.y;
  }
}

// What the panel shows and does, step by step through a gesture.
struct Step {
  enum Kind { Move, Press, Release } kind;
  int buttons;
  float x, y;
  PanelReaction expect;
};

void Play(const std::vector<Step>& steps) {
  const PanelGeometry g = LayoutPanel(kW);
  int i = 0;
  for (const Step& s : steps) {
    const PanelReaction r = s.kind == Step::Move    ? OnPanelMove(g, s.buttons, s.x, s.y)
                            : s.kind == Step::Press ? OnPanelPress(g, s.buttons, s.x, s.y)
                                                    : OnPanelRelease(g, s.buttons, s.x, s.y);
    EXPECT_EQ(r.miniFrame, s.expect.miniFrame) << "step " << i;
    EXPECT_EQ(r.exitFrame, s.expect.exitFrame) << "step " << i;
    EXPECT_EQ(r.capture, s.expect.capture) << "step " << i;
    EXPECT_EQ(r.command, s.expect.command) << "step " << i;
    ++i;
  }
}

constexpr float kMiniX = kW - 40, kExitX = kW - 15, kY = 10;
using C = CaptureChange;
using P = PanelCommand;

TEST(PanelRegions, ClickMinimiseHides) {
  Play({
      {Step::Move, 0, kMiniX, kY, {kHoverFrame, kNormalFrame, C::Set, P::None}},
      {Step::Press, 1, kMiniX, kY, {kPressedFrame, kKeepFrame, C::None, P::None}},
      {Step::Move, 1, kMiniX + 1, kY, {kPressedFrame, kNormalFrame, C::Set, P::None}},
      {Step::Release, 1, kMiniX + 1, kY, {kNormalFrame, kKeepFrame, C::None, P::HideWindow}},
  });
}

TEST(PanelRegions, SlideFromMinimiseToCloseEndsTheProgram) {
  Play({
      {Step::Press, 1, kMiniX, kY, {kPressedFrame, kKeepFrame, C::None, P::None}},
      {Step::Move, 1, kExitX, kY, {kNormalFrame, kPressedFrame, C::Set, P::None}},
      {Step::Release, 1, kExitX, kY, {kKeepFrame, kNormalFrame, C::None, P::CloseWindow}},
  });
}

TEST(PanelRegions, ReleaseOutsideDoesNothingAndLeavingRestoresBoth) {
  Play({
      {Step::Press, 1, kExitX, kY, {kKeepFrame, kPressedFrame, C::None, P::None}},
      // Dragged off the window: the capture still delivers the move.
      {Step::Move, 1, 400, -30, {kNormalFrame, kNormalFrame, C::Release, P::None}},
      {Step::Release, 1, 400, -30, {kKeepFrame, kKeepFrame, C::None, P::None}},
      // Dead places: the top row and the close button's right columns.
      {Step::Release, 1, kExitX, 0, {kKeepFrame, kKeepFrame, C::None, P::None}},
      {Step::Release, 1, kW - 4, kY, {kKeepFrame, kKeepFrame, C::None, P::None}},
  });
}

TEST(PanelRegions, PressesThatMoveTheWindow) {
  Play({
      {Step::Press, 1, 100, 100, {kKeepFrame, kKeepFrame, C::Release, P::StartMove}},
      {Step::Press, 1, kExitX, 0, {kKeepFrame, kKeepFrame, C::Release, P::StartMove}},
      {Step::Press, 1, kW - 3, kY, {kKeepFrame, kKeepFrame, C::Release, P::StartMove}},
      // Only the left button acts, alone.
      {Step::Press, 2, 100, 100, {kKeepFrame, kKeepFrame, C::None, P::None}},
      {Step::Press, 4, kMiniX, kY, {kKeepFrame, kKeepFrame, C::None, P::None}},
      {Step::Press, 3, kExitX, kY, {kKeepFrame, kKeepFrame, C::None, P::None}},
      {Step::Press, 0, kExitX, kY, {kKeepFrame, kKeepFrame, C::None, P::None}},
      {Step::Release, 2, kExitX, kY, {kKeepFrame, kKeepFrame, C::None, P::None}},
      {Step::Release, -1, kMiniX, kY, {kKeepFrame, kKeepFrame, C::None, P::None}},
  });
}

TEST(PanelRegions, PressedLookOnlyForTheLeftButtonAlone) {
  Play({
      {Step::Move, 1, kExitX, kY, {kNormalFrame, kPressedFrame, C::Set, P::None}},
      {Step::Move, 3, kExitX, kY, {kNormalFrame, kHoverFrame, C::Set, P::None}},
      {Step::Move, 2, kMiniX, kY, {kHoverFrame, kNormalFrame, C::Set, P::None}},
      {Step::Move, 5, kMiniX, kY, {kHoverFrame, kNormalFrame, C::Set, P::None}},
      {Step::Move, 0, kMiniX, 0, {kNormalFrame, kNormalFrame, C::Release, P::None}},
      {Step::Move, 1, kW - 2, kY, {kNormalFrame, kNormalFrame, C::Release, P::None}},
  });
}

}  // namespace
}  // namespace tavik
