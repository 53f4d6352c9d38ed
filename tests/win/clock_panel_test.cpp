// The clock panel under the mouse: its buttons' frames, the capture, hiding, closing and the
// two ways of dragging the window; and what its layout draws.
#include "controls/clock_panel.h"

#include <gtest/gtest.h>
#include <windowsx.h>

#include <vector>

#include "core/messages.h"
#include "resources/resource_ids.h"
#include "tests/win/clock_util.h"

namespace tavik {
namespace {

// Put in front of the main window's procedure: records the requests to start a system move
// (which would otherwise run the system's move loop) and hands on everything else.
struct MoveLog {
  static inline WNDPROC original = nullptr;
  static inline std::vector<std::pair<UINT, WPARAM>> moves;
  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCLBUTTONDOWN || msg == WM_SYSCOMMAND) {
      moves.emplace_back(msg, wp);
      return 0;
    }
    return CallWindowProcW(original, h, msg, wp, lp);
  }
};

LPARAM At(int x, int y) { return MAKELPARAM(static_cast<short>(x), static_cast<short>(y)); }

class ClockPanelTest : public ::testing::Test, public test::ClockFixture {
 protected:
  void SetUp() override {
    StartAt(test::At(2026, 12, 9, 8, 5, 7));
    ui = main->UI();
    panel = ui->hwnd();
    w = test::kMainWidth;
    MoveLog::moves.clear();
    MoveLog::original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(main->hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MoveLog::Proc)));
  }
  void TearDown() override {
    SetWindowLongPtrW(main->hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MoveLog::original));
    ReleaseCapture();
    Stop();
  }
  void Send(UINT msg, WPARAM keys, int x, int y) { SendMessageW(panel, msg, keys, At(x, y)); }
  bool Captured() const { return GetCapture() == panel; }

  ClockPanel* ui = nullptr;
  HWND panel = nullptr;
  int w = 0;
};

TEST_F(ClockPanelTest, CoversTheWindowBelowEveryOtherChild) {
  RECT r;
  GetClientRect(panel, &r);
  EXPECT_EQ(r.right, test::kMainWidth);
  EXPECT_EQ(r.bottom, test::kMainHeight);
  EXPECT_NE(GetWindow(main->hwnd(), GW_CHILD), panel);
  EXPECT_EQ(GetWindow(panel, GW_HWNDNEXT), nullptr);  // last in z-order: the bottom
  EXPECT_TRUE(GetWindowLongW(panel, GWL_STYLE) & WS_CLIPSIBLINGS);
}

TEST_F(ClockPanelTest, MovesShowHoverOrPressedFramesAndHoldTheCaptureOverAButton) {
  struct Case {
    WPARAM keys;
    int x, y;
    int mini, exit;
    bool captured;
  };
  // Minimise spans x W-55 .. W-29, close W-28 .. W-5, both y 1 .. 21.
  const Case cases[] = {
      {0, w - 55, 1, 1, 0, true},
      {0, w - 29, 21, 1, 0, true},
      {MK_LBUTTON, w - 40, 10, 2, 0, true},
      {MK_LBUTTON | MK_RBUTTON, w - 40, 10, 1, 0, true},  // two buttons: hover, not pressed
      {MK_RBUTTON, w - 40, 10, 1, 0, true},
      {0, w - 28, 10, 0, 1, true},
      {MK_LBUTTON, w - 5, 10, 0, 2, true},
      {0, w - 4, 10, 0, 0, false},  // the close button's three rightmost columns
      {0, w - 40, 0, 0, 0, false},  // the top row
      {0, w - 40, 22, 0, 0, false},
      {0, w - 56, 10, 0, 0, false},
      {0, 100, 200, 0, 0, false},
  };
  for (const Case& c : cases) {
    Send(WM_MOUSEMOVE, 0, w - 40, 10);  // from a hovered button, so frame 0 must be drawn
    Send(WM_MOUSEMOVE, c.keys, c.x, c.y);
    EXPECT_EQ(ui->MiniFrame(), c.mini) << c.x << "," << c.y << " keys " << c.keys;
    EXPECT_EQ(ui->ExitFrame(), c.exit) << c.x << "," << c.y << " keys " << c.keys;
    EXPECT_EQ(Captured(), c.captured) << c.x << "," << c.y;
  }
  EXPECT_TRUE(MoveLog::moves.empty());
}

TEST_F(ClockPanelTest, LeavingStraightFromAButtonRestoresBothThroughTheCapture) {
  Send(WM_MOUSEMOVE, MK_LBUTTON, w - 15, 10);
  ASSERT_TRUE(Captured());
  Send(WM_MOUSEMOVE, MK_LBUTTON, w + 30, -40);  // outside the window, delivered by the capture
  EXPECT_EQ(ui->MiniFrame(), 0);
  EXPECT_EQ(ui->ExitFrame(), 0);
  EXPECT_FALSE(Captured());
}

TEST_F(ClockPanelTest, ReleaseOnMinimiseHidesTheWindow) {
  Send(WM_MOUSEMOVE, 0, w - 40, 10);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, w - 40, 10);
  EXPECT_EQ(ui->MiniFrame(), 2);
  EXPECT_TRUE(IsWindowVisible(main->hwnd()));
  Send(WM_LBUTTONUP, 0, w - 40, 10);
  EXPECT_EQ(ui->MiniFrame(), 0);
  EXPECT_FALSE(IsWindowVisible(main->hwnd()));
  EXPECT_TRUE(main->IsAlive());
  SendMessageW(main->hwnd(), kTrayMessage, 0, WM_LBUTTONUP);  // the tray brings it back
  EXPECT_TRUE(IsWindowVisible(main->hwnd()));
}

TEST_F(ClockPanelTest, PressOnMinimiseSlideToCloseAndReleaseEndsTheProgram) {
  Send(WM_MOUSEMOVE, 0, w - 40, 10);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, w - 40, 10);
  Send(WM_MOUSEMOVE, MK_LBUTTON, w - 15, 10);
  EXPECT_EQ(ui->MiniFrame(), 0);
  EXPECT_EQ(ui->ExitFrame(), 2);
  Send(WM_LBUTTONUP, 0, w - 15, 10);
  EXPECT_FALSE(main->IsAlive());
}

TEST_F(ClockPanelTest, PressOnCloseReleasedOutsideDoesNothing) {
  Send(WM_MOUSEMOVE, 0, w - 15, 10);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, w - 15, 10);
  Send(WM_MOUSEMOVE, MK_LBUTTON, w - 15, 60);
  EXPECT_FALSE(Captured());
  EXPECT_EQ(ui->ExitFrame(), 0);
  Send(WM_LBUTTONUP, 0, w - 2, 10);  // dead columns: no region
  EXPECT_TRUE(main->IsAlive());
  EXPECT_TRUE(IsWindowVisible(main->hwnd()));
}

TEST_F(ClockPanelTest, PressesOnTheSurfaceAndOnTheLabels) {
  const RECT date = ui->LabelRect(ClockPanel::Label::Date);
  const RECT second = ui->LabelRect(ClockPanel::Label::Second);
  const RECT time = ui->LabelRect(ClockPanel::Label::Time);
  struct Case {
    UINT msg;
    int x, y;
    std::vector<std::pair<UINT, WPARAM>> moves;
  };
  const std::vector<std::pair<UINT, WPARAM>> none, surface{{WM_NCLBUTTONDOWN, HTCAPTION}},
      label{{WM_SYSCOMMAND, 0xF012}};
  const Case cases[] = {
      {WM_LBUTTONDOWN, 100, 200, surface},
      {WM_LBUTTONDOWN, w - 40, 0, surface},  // top row above a button
      {WM_LBUTTONDOWN, w - 3, 10, surface},  // right of the close region
      {WM_RBUTTONDOWN, 100, 200, none},
      {WM_MBUTTONDOWN, 100, 200, none},
      {WM_RBUTTONDOWN, w - 40, 10, none},
      {WM_LBUTTONDOWN, time.left + 1, time.top + 1, label},
      {WM_LBUTTONDOWN, date.right - 1, date.bottom - 1, label},
      {WM_RBUTTONDOWN, second.left + 1, second.top + 1, none},  // only a left press moves
      {WM_MBUTTONDOWN, date.right - 1, date.bottom - 1, none},
  };
  for (const Case& c : cases) {
    MoveLog::moves.clear();
    Send(c.msg, 0, c.x, c.y);
    EXPECT_EQ(MoveLog::moves, c.moves) << c.msg << " at " << c.x << "," << c.y;
    EXPECT_EQ(ui->MiniFrame(), 0);
    EXPECT_EQ(ui->ExitFrame(), 0);
  }
  // Right and middle releases over the buttons do nothing.
  Send(WM_RBUTTONUP, 0, w - 40, 10);
  Send(WM_MBUTTONUP, 0, w - 15, 10);
  EXPECT_TRUE(main->IsAlive());
  EXPECT_TRUE(IsWindowVisible(main->hwnd()));
}

// Which frame of a strip the surface shows at (x, y): -1 when it matches none.
int FrameOnSurface(HDC surface, int stripId, int x, int y) {
  HBITMAP strip = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(stripId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  HDC dc = CreateCompatibleDC(surface);
  HGDIOBJ old = SelectObject(dc, strip);
  int found = -1;
  for (int frame = 0; frame <= 2 && found < 0; ++frame) {  // frames 0 and 1 may look alike
    bool same = true;
    for (int py = 0; py < 21 && same; ++py)
      for (int px = 0; px < 27 && same; ++px)
        same = GetPixel(surface, x + px, y + py) == GetPixel(dc, frame * 27 + px, py);
    if (same) found = frame;
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(strip);
  return found;
}

TEST_F(ClockPanelTest, LayoutDrawsBorderTitleAndButtonsAndThePressedFrame) {
  HDC s = ui->SurfaceDC();
  const int h = test::kMainHeight;
  EXPECT_EQ(GetPixel(s, 0, 0), RGB(150, 40, 40));
  EXPECT_EQ(GetPixel(s, w - 1, h - 1), RGB(150, 40, 40));
  EXPECT_EQ(GetPixel(s, 1, h - 2), RGB(165, 55, 55));
  EXPECT_EQ(FrameOnSurface(s, IDB_BTN_MINI, w - 55, 1), 0);
  EXPECT_EQ(FrameOnSurface(s, IDB_BTN_EXIT, w - 28, 1), 0);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, w - 15, 10);
  EXPECT_EQ(FrameOnSurface(s, IDB_BTN_EXIT, w - 28, 1), 2);
  EXPECT_EQ(FrameOnSurface(s, IDB_BTN_MINI, w - 55, 1), 0);

  auto lightPixels = [&](int left, int right) {
    int n = 0;
    for (int y = 1; y < 26; ++y)
      for (int x = left; x < right; ++x) n += GetRValue(GetPixel(s, x, y)) > 220 && GetGValue(GetPixel(s, x, y)) > 150;
    return n;
  };
  EXPECT_GT(lightPixels(8, w - 62), 20);  // the title
  // A long title ends before the buttons; it shows at the next layout.
  ui->Caption(u"Tavik Beta 0.5.1 with a title far too long for the panel");
  SetWindowPos(panel, nullptr, 0, 0, w, h - 1, SWP_NOMOVE | SWP_NOZORDER);
  s = ui->SurfaceDC();
  EXPECT_GT(lightPixels(8, w - 62), 20);
  EXPECT_EQ(lightPixels(w - 62, w - 55), 0);
  // Too narrow for a title: none.
  SetWindowPos(panel, nullptr, 0, 0, 16 + 54, h, SWP_NOMOVE | SWP_NOZORDER);
  s = ui->SurfaceDC();
  EXPECT_EQ(lightPixels(1, 16), 0);
}

}  // namespace
}  // namespace tavik
