// The task row and the new-task button on screen: their fixed sizes, their two looks read
// back from the screen, the 50 ms leave check, and the row's mouse-up codes.
#include <gtest/gtest.h>

#include <string>

#include "controls/new_button.h"
#include "controls/task_row.h"
#include "core/common_controls.h"
#include "core/drawing.h"
#include "core/look.h"
#include "core/scoped.h"
#include "core/wide.h"
#include "tests/win/test_util.h"
#include "widget/main_window.h"

namespace tavik {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(200, 90, 90);

COLORREF PixelAt(HWND w, int x, int y) {
  UpdateWindow(w);
  ScopedGetDC dc(w);
  return GetPixel(dc, x, y);
}

bool AnyPixel(HWND w, const RECT& r, COLORREF color) {
  UpdateWindow(w);
  ScopedGetDC dc(w);
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (GetPixel(dc, x, y) == color) return true;
  return false;
}

void PointerOver(HWND w, int x, int y) {
  POINT p{x, y};
  ClientToScreen(w, &p);
  SetCursorPos(p.x, p.y);
}

SIZE SizeOf(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return {r.right - r.left, r.bottom - r.top};
}

class ControlLookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main_ = test::StartMainWindow(dir_.File(L"Tavik.cfg"));
    ASSERT_TRUE(main_);
    SetForegroundWindow(main_->hwnd());
    main_.items().AddItem(u"08:30", u"周135", u"提醒");
  }
  void TearDown() override {
    main_.reset();
    test::PumpMessages();
  }
  test::TempDir dir_;
  test::RunningProgram main_;
};

TEST_F(ControlLookTest, RowLightsUpOverItsBareSurfaceAndTurnsBackWhenThePointerLeaves) {
  TaskRow& row = *main_->Row(0);
  const HWND w = row.hwnd();
  // Centred in the 20 px below y 30 on the height of "test": y 32 with YaHei's 16 px line.
  const int lineHeight = [&] {
    ScopedGetDC dc(w);
    return TextExtent(dc, YaHei9(), u"test").cy;
  }();
  EXPECT_EQ(row.InfoRect().top, 30 + (20 - lineHeight) / 2);
  EXPECT_EQ(PixelAt(w, 235, 3), kWhite);
  EXPECT_TRUE(AnyPixel(w, row.TimeRect(), RGB(100, 100, 100)));

  // Over a label the row stays as it is.
  const RECT time = row.TimeRect();
  SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(time.left + 4, time.top + 8));
  EXPECT_FALSE(row.highlighted());

  PointerOver(w, 120, 22);
  SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(120, 22));
  ASSERT_TRUE(row.highlighted());
  EXPECT_EQ(PixelAt(w, 235, 3), kRed);
  EXPECT_TRUE(AnyPixel(w, row.TimeRect(), kWhite));
  EXPECT_FALSE(AnyPixel(w, row.TimeRect(), RGB(100, 100, 100)));
  test::PumpUntil([] { return false; }, 120);
  EXPECT_TRUE(row.highlighted());  // the pointer is still over the row

  PointerOver(main_->hwnd(), 120, 20);  // onto the clock face
  EXPECT_TRUE(test::PumpUntil([&] { return !row.highlighted(); }, 200));
  EXPECT_EQ(PixelAt(w, 235, 3), kWhite);
}

// The tooltip is made when the pointer first comes over the row, with the row's text as it
// is then and as it changes later (a very long text cut to its first 1000 characters).
TEST_F(ControlLookTest, TheTooltipComesWithTheFirstHoverAndFollowsTheText) {
  TaskRow& row = *main_->Row(0);
  EXPECT_EQ(row.tooltip(), nullptr);
  const auto tipText = [&row] {
    wchar_t text[1100] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = row.hwnd();
    ti.uId = 1;
    ti.lpszText = text;
    SendMessageW(row.tooltip(), TTM_GETTEXTW, ARRAYSIZE(text), reinterpret_cast<LPARAM>(&ti));
    return U16(text);
  };
  SendMessageW(row.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(200, 5));
  ASSERT_NE(row.tooltip(), nullptr);
  EXPECT_EQ(tipText(), u"提醒");
  row.RemInfo(u"喝水");
  EXPECT_EQ(tipText(), u"喝水");
  row.RemInfo(std::u16string(1500, u'长'));
  EXPECT_EQ(tipText(), std::u16string(1000, u'长') + u"…");
  const HWND tooltip = row.tooltip();
  SendMessageW(row.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(200, 6));
  EXPECT_EQ(row.tooltip(), tooltip);  // one for the row's life
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

BOOL CALLBACK CountWindowAndChildren(HWND top, LPARAM count) {
  CountWindow(top, count);
  EnumChildWindows(top, &CountWindow, count);
  return TRUE;
}

// Every window of this thread, top-level or child.
int ThreadWindowCount() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), &CountWindowAndChildren, reinterpret_cast<LPARAM>(&count));
  return count;
}

// A deleted row takes all its windows along: its own and its tooltip, which is a window of
// its own beside the main window, not a child that goes with the row.
TEST_F(ControlLookTest, ADeletedRowLeavesNoWindowBehind) {
  SendMessageW(main_->Row(0)->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(200, 5));  // the library is loaded
  ASSERT_NE(main_->Row(0)->tooltip(), nullptr);
  test::PumpMessages();
  const int before = ThreadWindowCount();
  main_.items().AddItem(u"09:00", u"不循环", u"第二");
  TaskRow& row = *main_->Row(1);
  SendMessageW(row.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(200, 5));
  const HWND rowWindow = row.hwnd(), tooltip = row.tooltip();
  ASSERT_NE(tooltip, nullptr);
  EXPECT_EQ(ThreadWindowCount(), before + 2);
  main_.items().RemoveItem(1);
  test::PumpMessages();
  EXPECT_FALSE(IsWindow(rowWindow));
  EXPECT_FALSE(IsWindow(tooltip));
  EXPECT_EQ(ThreadWindowCount(), before);
}

TEST_F(ControlLookTest, RowAndButtonTakeTheirOwnSizeAgainAndTurnNormal) {
  TaskRow& row = *main_->Row(0);
  NewButton& button = *main_->btnNew();
  const struct {
    HWND w;
    SIZE own;
  } controls[] = {{row.hwnd(), {240, 50}}, {button.hwnd(), {240, 40}}};
  for (const auto& c : controls) {
    for (SIZE other : {SIZE{100, 10}, SIZE{300, 80}, SIZE{0, 0}}) {
      SendMessageW(c.w, WM_MOUSEMOVE, 0, MAKELPARAM(120, 22));
      SetWindowPos(c.w, nullptr, 0, 0, other.cx, other.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      const SIZE s = SizeOf(c.w);
      EXPECT_EQ(s.cx, c.own.cx);
      EXPECT_EQ(s.cy, c.own.cy);
      EXPECT_EQ(PixelAt(c.w, 235, 3), kWhite);
    }
  }
  EXPECT_FALSE(row.highlighted());
  EXPECT_FALSE(button.hovered());
}

TEST_F(ControlLookTest, RowReportsEveryButtonReleaseOverItselfAndItsLabels) {
  std::vector<short> seen;
  main_->onRowMouseUp = [&](std::size_t at, short button) {
    EXPECT_EQ(at, 0u);
    seen.push_back(button);
  };
  const HWND w = main_->Row(0)->hwnd();
  for (LPARAM at : {MAKELPARAM(120, 22), MAKELPARAM(12, 10), MAKELPARAM(20, 40)}) {
    SendMessageW(w, WM_LBUTTONUP, 0, at);
    SendMessageW(w, WM_RBUTTONUP, 0, at);
    SendMessageW(w, WM_MBUTTONUP, 0, at);
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, at);  // presses are not reported
  }
  EXPECT_EQ(seen, (std::vector<short>{1, 2, 4, 1, 2, 4, 1, 2, 4}));
}

TEST_F(ControlLookTest, ButtonShowsItsHoverLookUntilThePointerLeaves) {
  NewButton& button = *main_->btnNew();
  const HWND w = button.hwnd();
  const struct {
    int x, y;
    bool plus;
  } points[] = {{26, 20, true},  {14, 18, true},  {37, 21, true}, {24, 8, true},  {27, 31, true},
                {13, 20, false}, {38, 20, false}, {26, 7, false}, {26, 32, false}, {2, 2, false}};
  auto expectLook = [&](COLORREF back, COLORREF plus, COLORREF caption) {
    for (const auto& p : points) EXPECT_EQ(PixelAt(w, p.x, p.y), p.plus ? plus : back) << p.x << "," << p.y;
    const int top = button.captionTop();
    EXPECT_TRUE(AnyPixel(w, {64, top, 130, top + 17}, caption));
    EXPECT_FALSE(AnyPixel(w, {0, 0, 63, 40}, caption == kWhite ? RGB(100, 100, 100) : kRed));
  };
  expectLook(kWhite, RGB(170, 170, 170), RGB(100, 100, 100));

  PointerOver(w, 150, 20);
  SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(150, 20));
  ASSERT_TRUE(button.hovered());
  InvalidateRect(w, nullptr, TRUE);  // a repaint keeps the last drawing
  expectLook(kRed, kWhite, kWhite);
  test::PumpUntil([] { return false; }, 120);
  EXPECT_TRUE(button.hovered());

  PointerOver(main_->Row(0)->hwnd(), 120, 22);  // onto the row below
  EXPECT_TRUE(test::PumpUntil([&] { return !button.hovered(); }, 200));
  expectLook(kWhite, RGB(170, 170, 170), RGB(100, 100, 100));
}

}  // namespace
}  // namespace tavik
