#include "schedule/reminder_popup.h"

#include <mmsystem.h>

#include "core/common_controls.h"
#include "core/delay.h"
#include "core/dpi.h"
#include "core/drawing.h"
#include "core/keyboard.h"
#include "core/look.h"
#include "core/scoped.h"
#include "core/wide.h"

namespace tavik {
namespace {

constexpr wchar_t kClass[] = L"TavikReminder";
constexpr UINT kLoopFlags = SND_ASYNC | SND_NODEFAULT | SND_MEMORY | SND_LOOP;

}  // namespace

ReminderPopup::~ReminderPopup() { Unload(); }

void ReminderPopup::Load() {
  if (IsAlive()) return;
  ++loadSerial_;
  RegisterClassOnce(kClass);
  // Just outside the primary screen's right edge, its bottom 40 px (at 96 dpi) above the
  // screen's bottom, at the primary screen's resolution, which is the system's.
  dpi_ = SystemDpi();
  layout_ = LayoutPopup(dpi_);
  const int left = GetSystemMetrics(SM_CXSCREEN);
  const int top = GetSystemMetrics(SM_CYSCREEN) - layout_.height - layout_.bottomGap;
  if (!CreateWnd(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClass, L"提醒", WS_POPUP | WS_CLIPCHILDREN, left, top,
                 layout_.width, layout_.height, nullptr))
    return;
  backBrush_ = CreateSolidBrush(kBackColor);
  time_ = AddChild(hwnd(), L"STATIC", L"时间", SS_LEFT | SS_NOPREFIX, 0, ToRect(layout_.timeBox), PopupTimeFont(dpi_));
  info_ = AddChild(hwnd(), L"EDIT", L"", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, 0,
                   ToRect(layout_.infoBox), YaHei9(dpi_));
  close_ = AddChild(hwnd(), L"BUTTON", L"关闭", BS_PUSHBUTTON | WS_TABSTOP, kCloseId, ToRect(layout_.closeBox),
                    YaHei9(dpi_));
  FitTimeLabel();
  TakeDialogKeys(hwnd());  // Enter and Esc close it, as any one-button box
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetTimer(hwnd(), kSlideTimerId, kSlideTimerMs, nullptr);
}

void ReminderPopup::Prepare() {
  RegisterClassOnce(kClass);
  CommonControlsReady();
  const int dpi = SystemDpi();
  PopupTimeFont(dpi);
  YaHei9(dpi);
}

void ReminderPopup::Remind(const std::u16string& time, const std::u16string& info) {
  if (!IsAlive()) list_.Clear();
  list_.Add(time, info);
  SetTime(list_.TimeText());
  SetInfo(list_.BoxText());
  if (!IsAlive()) return;
  if (list_.size() > 1) {  // the newest at the bottom of the box, in view
    const LPARAM end = GetWindowTextLengthW(info_);
    SendMessageW(info_, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageW(info_, EM_SCROLLCARET, 0, 0);
  }
  Show();
  NotifyWinEvent(EVENT_SYSTEM_ALERT, hwnd(), OBJID_CLIENT, CHILDID_SELF);
}

void ReminderPopup::SetTime(const std::u16string& text) {
  Load();
  SetWindowTextW(time_, W(text));
  FitTimeLabel();
}

void ReminderPopup::SetInfo(const std::u16string& text) {
  Load();
  SetWindowTextW(info_, W(text));
}

std::u16string ReminderPopup::TimeText() const { return WindowText(time_); }
std::u16string ReminderPopup::InfoText() const { return WindowText(info_); }

void ReminderPopup::FitTimeLabel() {
  if (!time_) return;
  const std::u16string text = TimeText();
  ScopedGetDC dc(time_);
  const SIZE size = TextExtent(dc, reinterpret_cast<HFONT>(SendMessageW(time_, WM_GETFONT, 0, 0)), text);
  SetWindowPos(time_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ReminderPopup::Show() {
  Load();
  if (!IsAlive()) return;
  // Above every window, and the keyboard stays where the user types: keys meant for another
  // program must not close it. A click on it activates it like any window.
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void ReminderPopup::Slide() {
  KillTimer(hwnd(), kSlideTimerId);  // one slide per load, even when a later tick is due meanwhile
  const unsigned serial = loadSerial_;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const RECT start = Bounds();
  const int width = start.right - start.left;
  const int top = start.top;
  int left = start.left;
  do {
    MoveTo(left - layout_.slideStep, top);
    Delay(kSlideDelayMs);
    // Closed while it slid (and perhaps loaded anew since): this slide is over, and silent.
    if (!IsAlive() || serial != loadSerial_) return;
    left = Bounds().left;
  } while (screenWidth - width + layout_.slideStep < left);
  MoveTo(screenWidth - width, top);

  // The sound is played from the program's own resource bytes, which stay mapped for the
  // whole run, so the player may read them as it loops.
  HRSRC res = FindResourceW(nullptr, L"BEEP", L"WAVE");
  HGLOBAL data = res ? LoadResource(nullptr, res) : nullptr;
  const void* bytes = data ? LockResource(data) : nullptr;
  if (!bytes || SizeofResource(nullptr, res) == 0) return;  // nothing to play: the popup stays, silent
  ringing_ = true;
  services_.playSound(bytes, kLoopFlags);
}

void ReminderPopup::StopSound() {
  if (!ringing_) return;
  services_.playSound(nullptr, 0);
  ringing_ = false;
}

void ReminderPopup::Unload() {
  StopSound();
  Destroy();
  OnDestroyed();  // also when the window never existed
}

void ReminderPopup::OnDestroyed() noexcept {
  StopSound();
  list_.Clear();
  accessibility_.Forget();
  if (backBrush_) DeleteObject(backBrush_);
  backBrush_ = nullptr;
  time_ = info_ = close_ = nullptr;
}

LRESULT ReminderPopup::OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      RECT r;
      GetClientRect(hwnd(), &r);
      const int b = layout_.border;
      FillSolid(dc, r, kFrameColor);
      FillSolid(dc, {b, b, r.right - b, r.bottom - b}, kBackColor);
      EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_CTLCOLORSTATIC:  // the label and the read-only text box
    case WM_CTLCOLOREDIT: {
      HDC dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, kTextColor);
      SetBkColor(dc, kBackColor);
      return reinterpret_cast<LRESULT>(backBrush_);
    }
    case WM_CTLCOLORBTN:
      return reinterpret_cast<LRESULT>(backBrush_);
    case WM_TIMER:
      if (wp == kSlideTimerId) {
        Slide();
        return 0;
      }
      break;
    case WM_SETFOCUS:
      if (close_) SetFocus(close_);
      return 0;
    case WM_GETOBJECT:
      if (const LRESULT object = accessibility_.OnGetObject(hwnd(), wp, lp)) return object;
      break;
    case WM_DPICHANGED:
      // It belongs to the primary screen and keeps its size, also while it slides in over
      // a monitor of another resolution to the right (resized there, it would be pushed back
      // and forth between the two).
      return 0;
    case WM_COMMAND:
      if ((LOWORD(wp) == kCloseId && HIWORD(wp) == BN_CLICKED) || LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        Unload();
        return 0;
      }
      break;
    case WM_CLOSE:
      Unload();
      return 0;
    default:
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace tavik
