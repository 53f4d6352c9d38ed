#include "core/snap.h"

#include <gtest/gtest.h>

#include <climits>

namespace tavik {
namespace {

TEST(Snap, EdgesPullWithinTwentyPixels) {
  const WorkArea screen{0, 0, 1024, 768};
  const WorkArea taskbarBelow{0, 0, 1024, 728};      // a 40 px taskbar at the bottom
  const WorkArea taskbarLeft{60, 0, 1024, 768};      // one at the left
  constexpr int cx = 242, cy = 391;
  struct Row {
    const char* what;
    WorkArea area;
    int x, y;
    int snappedX, snappedY;
  };
  const Row rows[] = {
      {"free", screen, 300, 200, 300, 200},
      {"left 19", screen, 19, 200, 0, 200},
      {"left 20", screen, 20, 200, 20, 200},
      {"left -19", screen, -19, 200, 0, 200},
      {"left -20", screen, -20, 200, -20, 200},
      {"top 19", screen, 300, 19, 300, 0},
      {"top 20", screen, 300, 20, 300, 20},
      {"right 19", screen, 1024 - cx - 19, 200, 1024 - cx, 200},
      {"right 20", screen, 1024 - cx - 20, 200, 1024 - cx - 20, 200},
      {"right beyond 19", screen, 1024 - cx + 19, 200, 1024 - cx, 200},
      {"bottom 19", screen, 300, 768 - cy - 19, 300, 768 - cy},
      {"bottom 20", screen, 300, 768 - cy - 20, 300, 768 - cy - 20},
      {"corner", screen, 5, 760 - cy, 0, 768 - cy},
      {"taskbar: lower edge on its top", taskbarBelow, 300, 728 - cy + 10, 300, 728 - cy},
      {"taskbar: 19 under it", taskbarBelow, 300, 728 - cy + 19, 300, 728 - cy},
      {"taskbar: 20 under it", taskbarBelow, 300, 728 - cy + 20, 300, 728 - cy + 20},
      {"taskbar left: 19", taskbarLeft, 60 + 19, 200, 60, 200},
      {"taskbar left: at screen edge", taskbarLeft, 0, 200, 0, 200},
      {"unreadable work area", WorkArea{}, 10, -10, 0, 0},
  };
  for (const Row& r : rows) {
    const SnapPoint p = SnapToWorkArea(r.area, r.x, r.y, cx, cy);
    EXPECT_EQ(p.x, r.snappedX) << r.what;
    EXPECT_EQ(p.y, r.snappedY) << r.what;
  }
}

TEST(Snap, RightAndBottomWinOverLeftAndTop) {
  // An area barely wider and taller than the window: both edges of each axis are near.
  const WorkArea tight{0, 0, 250, 400};
  const SnapPoint p = SnapToWorkArea(tight, 3, 2, 242, 391);
  EXPECT_EQ(p.x, 250 - 242);
  EXPECT_EQ(p.y, 400 - 391);
  // The right test uses x as the left test left it: 18 -> 0, then 0 + 242 is 8 from 250.
  const SnapPoint q = SnapToWorkArea(WorkArea{0, 0, 250, 1000}, 18, 500, 242, 391);
  EXPECT_EQ(q.x, 8);
}

// At 150 % the pull reaches 30 px: the same rule, scaled.
TEST(Snap, TheDistanceScalesWithTheResolution) {
  const WorkArea screen{0, 0, 1536, 1152};
  struct Row {
    int x, y, distance, expectedX, expectedY;
  };
  const Row rows[] = {
      {25, 40, 20, 25, 40},        {25, 40, 30, 0, 40},  {29, 29, 30, 0, 0}, {30, 29, 30, 30, 0},
      {1536 - 363 - 29, 500, 30, 1536 - 363, 500},      {1536 - 363 - 29, 500, 20, 1536 - 363 - 29, 500},
  };
  for (const Row& r : rows) {
    const SnapPoint p = SnapToWorkArea(screen, r.x, r.y, 363, 587, r.distance);
    EXPECT_EQ(p.x, r.expectedX) << r.x << "," << r.y << " within " << r.distance;
    EXPECT_EQ(p.y, r.expectedY) << r.x << "," << r.y << " within " << r.distance;
  }
}

TEST(Snap, FarOffPositionsDoNotOverflow) {
  const WorkArea screen{0, 0, 1024, 768};
  struct Row {
    int x, y, cx, cy;
  };
  const Row rows[] = {
      {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
      {INT_MIN, INT_MIN, 242, 391},
      {INT_MAX - 10, 0, 100, 0},
      {-32000, -32000, 242, 391},  // where a minimised window is parked
  };
  for (const Row& r : rows) {
    const SnapPoint p = SnapToWorkArea(screen, r.x, r.y, r.cx, r.cy);
    EXPECT_EQ(p.x, r.x);
    EXPECT_EQ(p.y, r.y);
  }
}

// A window left on a monitor that is gone comes back whole onto the one it is brought to,
// moved no further than needed; on a second monitor left of or above the primary one the
// coordinates are negative.
TEST(Snap, KeepInWorkAreaBringsAWindowBackWhole) {
  const WorkArea primary{0, 0, 1024, 728};
  const WorkArea leftOfPrimary{-1280, 0, 0, 984};
  struct Case {
    WorkArea area;
    int x, y;
    SnapPoint want;
  };
  const Case cases[] = {
      {primary, 100, 100, {100, 100}},        // inside: stays
      {primary, 2000, 300, {782, 300}},       // on a removed right-hand monitor
      {primary, -1500, 900, {0, 337}},        // on a removed left-hand one, below the work area
      {primary, 900, -50, {782, 0}},
      {leftOfPrimary, 100, 100, {-242, 100}},
      {leftOfPrimary, -2000, 700, {-1280, 593}},
      {{0, 0, 200, 300}, 50, 50, {0, 0}},     // larger than the area: left and top edges kept
  };
  for (const Case& c : cases) {
    const SnapPoint p = KeepInWorkArea(c.area, c.x, c.y, 242, 391);
    EXPECT_EQ(p.x, c.want.x) << c.x << "," << c.y;
    EXPECT_EQ(p.y, c.want.y) << c.x << "," << c.y;
  }
}

}  // namespace
}  // namespace tavik
