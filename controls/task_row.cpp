#include "controls/task_row.h"

#include <windowsx.h>

#include <algorithm>

#include "core/common_controls.h"
#include "core/drawing.h"
#include "core/keyboard.h"
#include "core/leave_check.h"
#include "core/look.h"
#include "core/mouse_buttons.h"
#include "core/scoped.h"
#include "core/wide.h"

namespace tavik {
namespace {

constexpr wchar_t kClass[] = L"TavikTaskRow";
// Only the first line of the text shows, and a tooltip of a few lines is all one reads: a
// hand-made file may hold a text of megabytes, which the row neither wraps nor copies whole.
constexpr size_t kDrawnInfo = 200;
constexpr size_t kTooltipInfo = 1000;

unsigned NextSerial() {
  static unsigned serial = 0;
  return ++serial;
}

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

}  // namespace

TaskRow::TaskRow(HWND parent, MouseUpHandler onMouseUp, MenuKeyHandler onMenuKey, int dpi)
    : serial_(NextSerial()),
      onMouseUp_(std::move(onMouseUp)),
      onMenuKey_(std::move(onMenuKey)),
      dpi_(dpi),
      layout_(LayoutRow(dpi)),
      infoRect_(ToRect(layout_.infoDesign)) {
  RegisterClassOnce(kClass);
  CreateWnd(0, kClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, layout_.width, layout_.height, parent);
  if (!hwnd()) return;
  UpdateTooltip();
  UpdateName();
  Normal();
}

void TaskRow::Show(const Task& task) {
  SetTime(task.time);
  RemInfo(task.info);
  SetCycle(task.cycle);
}

void TaskRow::SetTime(const std::u16string& text) {
  task_.time = text;
  UpdateName();
  Paint();
}

void TaskRow::SetCycle(const std::u16string& text) {
  task_.cycle = text;
  UpdateName();
  Paint();
}

void TaskRow::RemInfo(const std::u16string& text) {
  task_.info = text;
  UpdateTooltip();
  UpdateName();
  Paint();
}

void TaskRow::UpdateName() {
  if (!hwnd()) return;
  std::u16string name = task_.time + u" " + task_.cycle + u" ";
  name += task_.info.size() <= kTooltipInfo ? task_.info : task_.info.substr(0, kTooltipInfo) + u"…";
  SetWindowTextW(hwnd(), W(name));
}

void TaskRow::ShowTooltips() {
  // Made when the pointer first comes over the row: the library behind it is loaded then.
  if (tooltip_ || !hwnd() || !CommonControlsReady()) return;
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             0, 0, 0, 0, hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!tooltip_) return;
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_SUBCLASS;
  ti.hwnd = hwnd();
  ti.uId = 1;
  ti.rect = infoRect_;
  ti.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, layout_.tooltipWidth);
  UpdateTooltip();
}

void TaskRow::UpdateTooltip() {
  tipText_ = task_.info.size() <= kTooltipInfo ? task_.info : task_.info.substr(0, kTooltipInfo) + u"…";
  if (!tooltip_) return;
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.hwnd = hwnd();
  ti.uId = 1;
  ti.rect = infoRect_;
  ti.lpszText = const_cast<wchar_t*>(W(tipText_));
  SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

RECT TaskRow::TimeRect() const {
  ScopedGetDC dc(hwnd());
  const SIZE s = TextExtent(dc, RowTimeFont(dpi_), task_.time);
  return {layout_.timeX, layout_.timeY, layout_.timeX + s.cx, layout_.timeY + s.cy};
}

RECT TaskRow::CycleRect() const {
  ScopedGetDC dc(hwnd());
  const SIZE s = TextExtent(dc, YaHei9(dpi_), task_.cycle);
  return {layout_.cycleRight - s.cx, layout_.cycleTop, layout_.cycleRight, layout_.cycleTop + s.cy};
}

void TaskRow::SetDpi(int dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  layout_ = LayoutRow(dpi);
  if (tooltip_) SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, layout_.tooltipWidth);
  Normal();
  // A row places its text when it is shown (the template row never is); a row of a window
  // hidden in the tray is shown all the same.
  if (GetWindowLongW(hwnd(), GWL_STYLE) & WS_VISIBLE) {
    PlaceInfo();
  } else {
    infoRect_ = ToRect(layout_.infoDesign);
    UpdateTooltip();
  }
}

bool TaskRow::OverLabel(POINT p) const {
  return Inside(TimeRect(), p) || Inside(CycleRect(), p) || Inside(infoRect_, p);
}

void TaskRow::Normal() {
  RECT r;
  GetWindowRect(hwnd(), &r);
  if (r.right - r.left != layout_.width || r.bottom - r.top != layout_.height)
    SetWindowPos(hwnd(), nullptr, 0, 0, layout_.width, layout_.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  highlighted_ = false;
  Paint();
}

void TaskRow::Highlight() {
  leaveCheck_.Start(hwnd());
  if (!highlighted_) {
    highlighted_ = true;
    Paint();
  }
}

void TaskRow::PlaceInfo() {
  ScopedGetDC dc(hwnd());
  infoRect_ = ToRect(RowInfoRect(layout_, TextExtent(dc, YaHei9(dpi_), u"test").cy));
  UpdateTooltip();
}

void TaskRow::Paint() {
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

LRESULT TaskRow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept {
  switch (msg) {
    case WM_SIZE:
      Normal();
      return 0;
    case WM_SHOWWINDOW:
      if (wp) PlaceInfo();
      break;
    case WM_WINDOWPOSCHANGED:  // rows are shown with SetWindowPos, which sends no WM_SHOWWINDOW
      if (reinterpret_cast<const WINDOWPOS*>(lp)->flags & SWP_SHOWWINDOW) PlaceInfo();
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      {
        // Draw into memory first so a repaint never flickers.
        const MemoryDC memory = CompatibleDC(dc);
        const HDC mem = memory.get();
        const int w = layout_.width, h = layout_.height;
        const GdiObject<HBITMAP> bmp(CreateCompatibleBitmap(dc, w, h));
        const ScopedSelect drawInto(mem, bmp.get());
        const COLORREF back = highlighted_ ? kHoverBack : kRestBack;
        FillSolid(mem, {0, 0, w, h}, back);
        SetBkMode(mem, TRANSPARENT);
        SetTextColor(mem, highlighted_ ? kHoverText : kRestText);
        {
          ScopedSelect f(mem, RowTimeFont(dpi_));
          TextOutW(mem, layout_.timeX, layout_.timeY, W(task_.time), static_cast<int>(task_.time.size()));
        }
        {
          ScopedSelect f(mem, YaHei9(dpi_));
          RECT cycle = CycleRect();
          DrawTextW(mem, W(task_.cycle), -1, &cycle, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
          RECT info = infoRect_;  // only the first line of the wrapped text fits
          DrawTextW(mem, W(task_.info), static_cast<int>(std::min(task_.info.size(), kDrawnInfo)), &info, DT_LEFT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
        }
        const int inset = layout_.focusInset;
        DrawFocusCue(hwnd(), mem, {inset, inset, w - inset, h - inset});
        BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
      }
      EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_MOUSEMOVE: {
      ShowTooltips();
      const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      if (!OverLabel(p)) Highlight();  // a pointer over a label does not light the row
      return 0;
    }
    case WM_TIMER:
      if (wp == LeaveCheck::kTimerId) {
        if (leaveCheck_.PointerLeft(hwnd())) Normal();
        return 0;
      }
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      const short button = msg == WM_LBUTTONUP ? kLeftButton : msg == WM_RBUTTONUP ? kRightButton : kMiddleButton;
      if (onMouseUp_) onMouseUp_(*this, button);
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Paint();
      return 0;
    case WM_UPDATEUISTATE:
      Paint();
      break;
    // The menu key (on its release) and Shift+F10 open the item menu; both halves of each stay
    // here, so the system makes no second menu of them.
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (wp != VK_APPS) break;
      if (msg == WM_KEYUP && onMenuKey_) onMenuKey_(*this);
      return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      if (wp != VK_F10 || !(GetKeyState(VK_SHIFT) & 0x8000)) break;
      if (msg == WM_SYSKEYDOWN && onMenuKey_) onMenuKey_(*this);
      return 0;
    case WM_CONTEXTMENU:  // asked for by other means (a screen reader)
      if (onMenuKey_) onMenuKey_(*this);
      return 0;
    case WM_DESTROY:
      if (tooltip_) DestroyWindow(tooltip_);
      tooltip_ = nullptr;
      break;
    default:
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace tavik
