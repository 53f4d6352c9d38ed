#include "controls/clock_panel.h"

#include <windowsx.h>

#include "controls/art.h"
#include "core/drawing.h"
#include "core/look.h"
#include "core/mouse_buttons.h"
#include "core/scoped.h"
#include "core/services.h"
#include "core/title.h"
#include "core/wide.h"
#include "core/wake_timer.h"
#include "resources/resource_ids.h"

namespace tavik {
namespace {

constexpr wchar_t kClass[] = L"TavikClockPanel";

HFONT LabelFont(ClockPanel::Label label, int dpi) {
  return label == ClockPanel::Label::Time ? ClockTimeFont(dpi) : YaHei9(dpi);
}

SIZE Extent(HDC dc, HFONT font, std::u16string_view text) {
  ScopedSelect sel(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()), &size);
  return size;
}

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// Buttons held during a move, as the panel counts them: 1 left, 2 right, 4 middle.
int ButtonMask(WPARAM keys) {
  return ((keys & MK_LBUTTON) ? kLeftButton : 0) | ((keys & MK_RBUTTON) ? kRightButton : 0) |
         ((keys & MK_MBUTTON) ? kMiddleButton : 0);
}

}  // namespace

ClockPanel::ClockPanel(HWND owner, std::function<SYSTEMTIME()> clock, int dpi)
    : owner_(owner), clock_(std::move(clock)), dpi_(dpi), layout_(LayoutClock(dpi)) {
  RegisterClassOnce(kClass);
  title_ = std::u16string(kProgramTitle) + u" Beta " + kProgramVersion;
  LoadStrips();
  {
    wchar_t separator[kMaxDateSeparator + 1] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDATE, separator, ARRAYSIZE(separator)) > 1)
      dateSeparator_.append(std::u16string_view(reinterpret_cast<const char16_t*>(separator)));
    else
      dateSeparator_.append(kDefaultDateSeparator);

    // The labels show the time before the first tick.
    ReadClock();
    PlaceSeconds();
  }
  RECT client{};
  GetClientRect(owner, &client);
  CreateWnd(0, kClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, client.right, client.bottom, owner);
  if (!hwnd()) return;
  if (surface_.width() != client.right || surface_.height() != client.bottom) Layout();
  SetWindowPos(hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

ClockPanel::~ClockPanel() { Destroy(); }  // the strips go after the window

void ClockPanel::LoadStrips() {
  miniStrip_.Reset(LoadArt(IDB_BTN_MINI, kButtonFrame, kButtonFrames, dpi_, miniSize_));
  exitStrip_.Reset(LoadArt(IDB_BTN_EXIT, kButtonFrame, kButtonFrames, dpi_, exitSize_));
  ScopedGetDC screen(nullptr);
  miniDC_ = CompatibleDC(screen);
  exitDC_ = CompatibleDC(screen);
  miniSelect_ = ScopedSelect(miniDC_.get(), miniStrip_.get());
  exitSelect_ = ScopedSelect(exitDC_.get(), exitStrip_.get());
}

void ClockPanel::FreeStrips() {
  miniSelect_.Undo();
  exitSelect_.Undo();
  miniDC_.Reset();
  exitDC_.Reset();
  miniStrip_.Reset();
  exitStrip_.Reset();
  miniSize_ = exitSize_ = {};
}

void ClockPanel::PlaceSeconds() {
  // The seconds stand a gap right of the hours and minutes as they are now.
  ScopedGetDC screen(nullptr);
  secondLeft_ = layout_.timeX + Extent(screen, ClockTimeFont(dpi_), texts_.time.view()).cx + layout_.secondGap;
}

void ClockPanel::SetDpi(int dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  layout_ = LayoutClock(dpi);
  FreeStrips();
  LoadStrips();
  PlaceSeconds();
  if (!hwnd()) return;
  RECT client{};
  GetClientRect(owner_, &client);
  const RECT now = Bounds();
  if (now.right - now.left == client.right && now.bottom - now.top == client.bottom)
    Layout();
  else
    SetWindowPos(hwnd(), nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ClockPanel::Shown() {
  if (!hwnd()) return;
  // Children created after the panel may have been put below it.
  SetWindowPos(hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (clockOn_) return;
  const SYSTEMTIME now = clock_();
  clockOn_ = ArmClock(NextWakeDelayMs(MsOfDay(ClockTimeOf(now), now.wMilliseconds), IsWindowVisible(owner_) != FALSE));
}

bool ClockPanel::ArmClock(int delayMs) {
  armedMs_ = delayMs;
  return SetWakeTimer(hwnd(), kClockTimerId, static_cast<UINT>(delayMs), kWakeToleranceMs) != 0;
}

void ClockPanel::WakeNow() {
  if (clockOn_) Tick();
}

void ClockPanel::WakeSoon() {
  if (clockOn_) ArmClock(0);
}

RECT ClockPanel::LabelRect(Label label) const {
  switch (label) {
    case Label::Time:
      return timeRect_;
    case Label::Second:
      return secondRect_;
    case Label::Date:
      return dateRect_;
    case Label::None:
      break;
  }
  return {};
}

ClockPanel::Label ClockPanel::LabelAt(POINT p) const {
  for (Label label : {Label::Time, Label::Second, Label::Date})
    if (Inside(LabelRect(label), p)) return label;
  return Label::None;
}

void ClockPanel::ReadClock() {
  const SYSTEMTIME st = clock_();
  millisecond_ = st.wMilliseconds;
  moment_ = {st.wYear, st.wMonth, st.wDay, WeekdayFromSunday0(st.wDayOfWeek), st.wHour, st.wMinute, st.wSecond};
  // The weekday's name is asked of the locale once a day, not at every tick.
  const int day = st.wYear * 10000 + st.wMonth * 100 + st.wDay;
  if (day != nameDay_) {
    nameDay_ = day;
    weekdayName_.clear();
    wchar_t name[kMaxWeekdayName + 1] = {};
    if (GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, L"dddd", name, ARRAYSIZE(name), nullptr) > 1)
      weekdayName_.append(std::u16string_view(reinterpret_cast<const char16_t*>(name)));
    else
      weekdayName_.append(DefaultWeekdayName(moment_.weekday));
  }
  texts_ = MakeClockTexts(moment_, weekdayName_.view(), dateSeparator_.view());
}

void ClockPanel::StopClock() {
  if (hwnd()) KillTimer(hwnd(), kClockTimerId);
  clockOn_ = false;
}

void ClockPanel::Tick() {
  if (!hwnd()) return;
  const ClockTexts before = texts_;
  ReadClock();
  // The next wake just after the next second (shown) or minute (hidden) of the wall clock:
  // the timer's own drift never adds up.
  if (clockOn_) {
    if (const int delay = RearmDelayMs(MsOfDay(moment_, millisecond_), IsWindowVisible(owner_) != FALSE, armedMs_))
      ArmClock(delay);
  }
  // A label whose text stayed the same is not touched.
  if (texts_.time != before.time) DrawLabel(Label::Time, true);
  if (texts_.second != before.second) DrawLabel(Label::Second, true);
  if (texts_.date != before.date) DrawLabel(Label::Date, true);
  if (RealTime) RealTime();
}

void ClockPanel::DrawLabel(Label label, bool clearOld) {
  HDC dc = surface_.dc();
  if (!dc) return;
  RECT* rect = label == Label::Time ? &timeRect_ : label == Label::Second ? &secondRect_ : &dateRect_;
  const std::u16string_view text =
      label == Label::Time ? texts_.time.view() : label == Label::Second ? texts_.second.view() : texts_.date.view();
  const POINT origin = label == Label::Time     ? POINT{layout_.timeX, layout_.timeY}
                       : label == Label::Second ? POINT{secondLeft_, layout_.secondTop}
                                                : POINT{layout_.dateX, layout_.dateY};
  const HFONT font = LabelFont(label, dpi_);
  const RECT old = *rect;
  if (clearOld) FillSolid(dc, old, kBackColor);
  const SIZE size = Extent(dc, font, text);
  *rect = {origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};
  FillSolid(dc, *rect, kBackColor);
  {
    ScopedSelect sel(dc, font);
    SetTextColor(dc, kTextColor);
    TextOutW(dc, origin.x, origin.y, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()));
  }
  RECT dirty;
  UnionRect(&dirty, &old, rect);
  // On screen it is copied there at once: a paint cycle would cost the system several times
  // as much work each second. Hidden, nothing is drawn: a window that is shown is painted
  // whole from the surface, and so are the parts of it that come out from under another.
  if (!IsWindowVisible(hwnd())) return;
  ScopedGetDC screen(hwnd());
  BitBlt(screen, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, dc, dirty.left,
         dirty.top, SRCCOPY);
}

void ClockPanel::Layout() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int w = client.right, h = client.bottom;
  surface_.Resize(hwnd(), w, h);
  HDC dc = surface_.dc();
  geometry_ = LayoutPanel(w, miniSize_, exitSize_, dpi_);
  FillSolid(dc, {0, 0, w, h}, kBorderColor);
  const int b = layout_.border;
  FillSolid(dc, {b, b, w - b, h - b}, kBackColor);
  RECT title{geometry_.title.left, geometry_.title.top, geometry_.title.right, geometry_.title.bottom};
  if (title.right > title.left) {
    ScopedSelect sel(dc, YaHei9(dpi_));
    SetTextColor(dc, kTextColor);
    DrawTextW(dc, W(title_), -1, &title, DT_SINGLELINE | DT_VCENTER | DT_WORD_ELLIPSIS);
  }
  DrawMini(kNormalFrame);
  DrawExit(kNormalFrame);
  // Clearing the surface took the labels with it.
  DrawLabel(Label::Time, false);
  DrawLabel(Label::Second, false);
  DrawLabel(Label::Date, false);
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void ClockPanel::DrawFrame(StripSize strip, HDC stripDC, int x, int y, int frame) {
  const int fw = FrameWidth(strip);
  BitBlt(surface_.dc(), x, y, fw, strip.height, stripDC, FrameLeft(strip, frame), 0, SRCCOPY);
  RECT r{x, y, x + fw, y + strip.height};
  InvalidateRect(hwnd(), &r, FALSE);
}

void ClockPanel::DrawMini(int frame) {
  miniFrame_ = frame;
  DrawFrame(miniSize_, miniDC_.get(), geometry_.miniX, geometry_.miniY, frame);
}

void ClockPanel::DrawExit(int frame) {
  exitFrame_ = frame;
  DrawFrame(exitSize_, exitDC_.get(), geometry_.exitX, geometry_.exitY, frame);
}

void ClockPanel::StartOwnerMove(UINT msg, WPARAM wp) {
  ReleaseCapture();
  // The system moves the window with the pointer until the button comes up.
  SendMessageW(owner_, msg, wp, 0);
}

std::u16string ClockPanel::AccessibleName(PanelPart part) const {
  switch (part) {
    case PanelPart::Title:
      return title_;
    case PanelPart::Clock:
      return std::u16string(texts_.time.view()) + std::u16string(texts_.second.view()) + u" " +
             std::u16string(texts_.date.view());
    case PanelPart::Minimise:
      return u"最小化";
    case PanelPart::Close:
      return u"关闭";
  }
  return {};
}

RECT ClockPanel::PartRect(PanelPart part) const {
  switch (part) {
    case PanelPart::Title:
      return {geometry_.title.left, geometry_.title.top, geometry_.title.right, geometry_.title.bottom};
    case PanelPart::Clock: {
      RECT r;
      UnionRect(&r, &timeRect_, &secondRect_);
      UnionRect(&r, &r, &dateRect_);
      return r;
    }
    case PanelPart::Minimise:
      return {geometry_.miniX, geometry_.miniY, geometry_.miniX + FrameWidth(miniSize_), geometry_.miniY + miniSize_.height};
    case PanelPart::Close:
      return {geometry_.exitX, geometry_.exitY, geometry_.exitX + FrameWidth(exitSize_), geometry_.exitY + exitSize_.height};
  }
  return {};
}

void ClockPanel::Press(PanelPart part) {
  PanelReaction r;
  if (part == PanelPart::Minimise) r.command = PanelCommand::HideWindow;
  if (part == PanelPart::Close) r.command = PanelCommand::CloseWindow;
  Apply(r);
}

void ClockPanel::Apply(const PanelReaction& r) {
  if (r.miniFrame != kKeepFrame) DrawMini(r.miniFrame);
  if (r.exitFrame != kKeepFrame) DrawExit(r.exitFrame);
  if (r.capture == CaptureChange::Set && GetCapture() != hwnd()) SetCapture(hwnd());
  if (r.capture == CaptureChange::Release && GetCapture() == hwnd()) ReleaseCapture();
  switch (r.command) {
    case PanelCommand::HideWindow:
      ShowWindow(owner_, SW_HIDE);
      break;
    case PanelCommand::CloseWindow:
      SendMessageW(owner_, WM_CLOSE, 0, 0);  // the owner's unload ends the program
      break;
    case PanelCommand::StartMove:
      StartOwnerMove(WM_NCLBUTTONDOWN, HTCAPTION);
      break;
    case PanelCommand::None:
      break;
  }
}

LRESULT ClockPanel::OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept {
  const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  const auto fx = static_cast<float>(p.x), fy = static_cast<float>(p.y);
  switch (msg) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETOBJECT:
      if (const LRESULT object = accessibility_.OnGetObject(wp, lp)) return object;
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      surface_.Paint(hwnd());
      return 0;
    case WM_TIMER:
      if (wp == kClockTimerId) {
        Tick();
        return 0;
      }
      break;
    case WM_MOUSEMOVE:
      // Moves over a clock label are the label's, unless the panel holds the capture.
      if (GetCapture() != hwnd() && LabelAt(p) != Label::None) return 0;
      Apply(OnPanelMove(geometry_, ButtonMask(wp), fx, fy));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      // The left button on a clock label drags the window. The system's move ends only when
      // the left button comes up, so another button would glue the window to the pointer.
      if (LabelAt(p) != Label::None) {
        if (msg == WM_LBUTTONDOWN) StartOwnerMove(WM_SYSCOMMAND, SC_MOVE | HTCAPTION);
        return 0;
      }
      const int button = msg == WM_LBUTTONDOWN ? kLeftButton : msg == WM_RBUTTONDOWN ? kRightButton : kMiddleButton;
      Apply(OnPanelPress(geometry_, button, fx, fy));
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      const int button = msg == WM_LBUTTONUP ? kLeftButton : msg == WM_RBUTTONUP ? kRightButton : kMiddleButton;
      Apply(OnPanelRelease(geometry_, button, fx, fy));  // may end the program: nothing after it
      return 0;
    }
    default:
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace tavik
