// Snapping through the real main window: the window is moved with SetWindowPos
// and lands on the work area's edge when it comes within 20 px of it.
#include <gtest/gtest.h>

#include "core/messages.h"
#include "widget/tray.h"
#include "tests/win/clock_util.h"

namespace tavik {
namespace {

class Snapping : public ::testing::Test, public test::ClockFixture {
 protected:
  void SetUp() override {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &saved, 0);
    StartAt(test::At(2026, 12, 9, 8, 0, 0));
  }
  void TearDown() override {
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &saved, 0);
    Stop();
  }
  POINT MoveTo(int x, int y) {
    SetWindowPos(main->hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r;
    GetWindowRect(main->hwnd(), &r);
    return {r.left, r.top};
  }
  RECT saved{};
};

TEST_F(Snapping, NineteenPixelsFromAnEdgeSnapsTwentyDoNot) {
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  // A taskbar 40 px high along the bottom: the bottom edge is its upper edge.
  RECT work{0, 0, screenW, screenH - 40};
  ASSERT_TRUE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0));
  RECT now{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &now, 0);
  ASSERT_EQ(now.bottom, screenH - 40);
  const int cx = test::kMainWidth, cy = test::kMainHeight;
  const int midX = 300, midY = 150;
  struct Case {
    int x, y;
    int wantX, wantY;
  };
  const Case cases[] = {
      {19, midY, 0, midY},          {20, midY, 20, midY},          {-19, midY, 0, midY},
      {-20, midY, -20, midY},       {midX, 19, midX, 0},           {midX, 20, midX, 20},
      {midX, -19, midX, 0},         {screenW - cx - 19, midY, screenW - cx, midY},
      {screenW - cx - 20, midY, screenW - cx - 20, midY},
      {screenW - cx + 19, midY, screenW - cx, midY},
      {midX, screenH - 40 - cy - 19, midX, screenH - 40 - cy},
      {midX, screenH - 40 - cy - 20, midX, screenH - 40 - cy - 20},
      {midX, screenH - cy - 15, midX, screenH - cy - 15},  // near the screen's bottom, far from the work area's
  };
  for (const Case& c : cases) {
    const POINT p = MoveTo(c.x, c.y);
    EXPECT_EQ(p.x, c.wantX) << c.x << "," << c.y;
    EXPECT_EQ(p.y, c.wantY) << c.x << "," << c.y;
  }
}

}  // namespace
}  // namespace tavik
