#include "widget/main_window.h"

#include <algorithm>
#include <optional>

#include "controls/new_button.h"
#include "core/ansi.h"
#include "core/delay.h"
#include "core/dpi.h"
#include "core/keyboard.h"
#include "core/messages.h"
#include "core/services.h"
#include "core/snap.h"
#include "core/title.h"
#include "core/wide.h"
#include "core/wake_timer.h"
#include "resources/resource_ids.h"
#include "widget/tray.h"

namespace tavik {
namespace {

constexpr wchar_t kClass[] = L"TavikMain";

}  // namespace

MainWindow::MainWindow(std::wstring cfgPath, const Services& services, TaskList& items)
    : services_(services), items_(items), data_(std::move(cfgPath)) {
  items_.SetOwner(this);
}

MainWindow::~MainWindow() {
  if (IsAlive() && !unloaded_) Unload();
  items_.SetOwner(nullptr);
  rows_.clear();
  template_.reset();
}

bool MainWindow::Create() {
  icon_ = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TAVIK), IMAGE_ICON,
                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  RegisterClassOnce(kClass, 0, icon_);
  // Centred on the primary screen, at its resolution.
  dpi_ = SystemDpi();
  layout_ = LayoutMain(dpi_);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - layout_.width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - layout_.height) / 2;
  // No frame, no title bar and no taskbar button: the tray icon is the way back to it.
  if (!CreateWnd(WS_EX_TOOLWINDOW, kClass, W(kProgramTitle), WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU, x, y,
                 layout_.width, layout_.height, nullptr))
    return false;
  // The monitor may have a resolution of its own: laid out for it, and centred again.
  if (const int dpi = WindowDpi(hwnd()); dpi != dpi_) {
    dpi_ = dpi;
    layout_ = LayoutMain(dpi);
    SetWindowPos(hwnd(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - layout_.width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - layout_.height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  Load();
  return true;
}

void MainWindow::Load() {
  // 1. From now on until the unload the window snaps to the work area's edges.
  snapping_ = true;
  // 2. Size: left and top stay.
  SetWindowPos(hwnd(), nullptr, 0, 0, layout_.width, layout_.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // 3. Children. The clock panel first: it covers the client area, below all the others.
  ui_ = std::make_unique<ClockPanel>(hwnd(), services_.localTime, dpi_);
  ui_->RealTime = [this] { RealTime(); };
  // The template row stands above the first task's place and is never shown.
  template_ = std::make_unique<TaskRow>(hwnd(), nullptr, nullptr, dpi_);
  PlaceRow(*template_, 0);
  btnNew_ = std::make_unique<NewButton>(hwnd(), layout_.newButton.left, layout_.newButton.top, dpi_);
  btnNew_->onPress = [this] {
    if (items_.HasRoom() && onNewTask) onNewTask();
  };
  SetWindowPos(btnNew_->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // The message bar after the others, hidden until a release is announced.
  msg_ = std::make_unique<MessageBar>(hwnd(), layout_);
  // The keyboard reaches the new-task button, the rows and the bar with Tab.
  TakeDialogKeys(hwnd());
  // 4. The tray icon comes with the first show: the window is on screen first.
  // 5. The ten-minute timer.
  timerTicks_ = TimerTicks();
  SetTimer(hwnd(), kBackgroundTimerId, kBackgroundTimerMs, nullptr);
  // 6. The data file, read once: its "Config" section goes, its tasks wait for the window.
  // A repeating task's stored mark is today's only when the file was written today in or
  // after its minute; the clock alone cannot tell a restart from a slow start.
  std::vector<Task> stored = data_.Open();
  rearmedAtStart_ = items_.Restore(std::move(stored), data_.lastWritten(), ClockTimeOf(services_.localTime()));
  if (!data_.usable()) SaveFailed(DataFile::Failure::Unusable);
  // 7. The rows are added once the window stands.
  SetTimer(hwnd(), kPingTimerId, 1, nullptr);
}

void MainWindow::Show() {
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  UpdateWindow(hwnd());
  if (!trayAdded_) {
    trayAdded_ = true;
    TrayIcon(NIM_ADD, hwnd(), icon_);
  }
  if (ui_) ui_->Shown();
}

void MainWindow::Unload() {
  if (unloaded_ || !IsAlive()) return;
  if (modalBoxes_ > 0) {
    closeRequested_ = true;  // ShowModalBox closes the window once the box is gone
    return;
  }
  unloaded_ = true;
  snapping_ = false;
  TrayIcon(NIM_DELETE, hwnd(), icon_);
  // The other windows close with it: the hidden online window, the popup, the dialog (its
  // unsaved input is dropped).
  for (auto& unload : unloadOthers)
    if (unload) unload();
  KillTimer(hwnd(), kBackgroundTimerId);
  if (sessionNotices_) UnregisterSessionNotices(hwnd());
  sessionNotices_ = false;
  Destroy();
}

int MainWindow::ShowModalBox(const std::wstring& text, UINT type) {
  ++modalBoxes_;
  const int answer = services_.messageBox(IsAlive() ? hwnd() : nullptr, text, type);
  --modalBoxes_;
  // The close came while the box was open; it runs once the caller has finished.
  if (modalBoxes_ == 0 && closeRequested_ && IsAlive()) PostMessageW(hwnd(), WM_CLOSE, 0, 0);
  return answer;
}

bool MainWindow::RowAlive(unsigned serial) const {
  return std::any_of(rows_.begin(), rows_.end(), [serial](const auto& r) { return r->serial() == serial; });
}

int MainWindow::RowAt(const TaskRow& row) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].get() == &row) return static_cast<int>(i);
  return -1;
}

void MainWindow::TaskAdded(std::size_t at) {
  if (!IsAlive() || !template_ || at != rows_.size() || at >= items_.size()) return;
  auto created = std::make_unique<TaskRow>(
      hwnd(),
      [this](TaskRow& row, short button) {
        const int place = RowAt(row);
        if (place >= 0 && onRowMouseUp) onRowMouseUp(static_cast<size_t>(place), button);
      },
      [this](TaskRow& row) {
        const int place = RowAt(row);
        if (place < 0 || !onRowMenuKey) return;
        RECT r{};
        GetWindowRect(row.hwnd(), &r);
        onRowMenuKey(static_cast<size_t>(place), r);
      },
      dpi_);
  TaskRow* row = created.get();
  const unsigned serial = row->serial();
  row->Show(items_[at]);
  const TaskRow& above = rows_.empty() ? *template_ : *rows_.back();
  const int top = above.Bounds().bottom;
  // Right after the row above in the stacking order (the new-task button for the first one),
  // which is the order Tab walks; all of them above the clock panel.
  const HWND after = rows_.empty() ? btnNew_->hwnd() : rows_.back()->hwnd();
  rows_.push_back(std::move(created));
  minuteSeen_ = -1;  // the next wake looks at the next minute again
  SetWindowPos(row->hwnd(), after, layout_.slideStart, top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);

  // Slide in from the right. Other events run between the steps; the slide keeps to its own
  // row and stops if that row is removed meanwhile (a change of resolution meanwhile puts
  // it in its place, which ends the slide).
  int left = layout_.slideStart;
  do {
    row->MoveTo(left - layout_.slideStep, row->Bounds().top);
    Delay(kSlideDelayMs);
    if (!RowAlive(serial)) return;
    left = row->Bounds().left;
  } while (left >= layout_.slideEnd);
  row->MoveTo(layout_.rowLeft, row->Bounds().top);
}

void MainWindow::TaskChanged(std::size_t at) {
  if (at >= rows_.size() || at >= items_.size()) return;
  rows_[at]->Show(items_[at]);
  minuteSeen_ = -1;  // the next wake looks at the next minute again
}

void MainWindow::TaskRemoved(std::size_t at) {
  // The later rows take the texts of the row below them, and the last row goes: a row still
  // sliding in is the last one, and its slide ends.
  for (size_t i = at; i < items_.size() && i < rows_.size(); ++i) rows_[i]->Show(items_[i]);
  if (rows_.size() > items_.size()) rows_.pop_back();
}

void MainWindow::PlaceRow(TaskRow& row, int slot) {
  row.MoveTo(slot == 0 ? layout_.newButton.left : layout_.rowLeft, layout_.templateTop + slot * layout_.rowHeight);
}

void MainWindow::ApplyDpi(int dpi, POINT at) {
  if (dpi <= 0) return;
  dpi_ = dpi;
  layout_ = LayoutMain(dpi);
  SetWindowPos(hwnd(), nullptr, at.x, at.y, layout_.width, layout_.height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (ui_) ui_->SetDpi(dpi);
  if (btnNew_) {
    btnNew_->SetDpi(dpi);
    btnNew_->MoveTo(layout_.newButton.left, layout_.newButton.top);
  }
  if (template_) {
    template_->SetDpi(dpi);
    PlaceRow(*template_, 0);
  }
  for (size_t i = 0; i < rows_.size(); ++i) {
    rows_[i]->SetDpi(dpi);
    PlaceRow(*rows_[i], static_cast<int>(i) + 1);
  }
  if (msg_) msg_->SetLayout(layout_);
  InvalidateRect(hwnd(), nullptr, FALSE);
}

bool MainWindow::SaveData() {
  const DataFile::Failure failure = data_.Save(items_.All());
  if (failure != DataFile::Failure::None) SaveFailed(failure);
  return failure == DataFile::Failure::None;
}

void MainWindow::SaveFailed(DataFile::Failure failure) {
  if (failureTold_ || !IsAlive()) return;  // once a run: later failures stay quiet
  failureTold_ = true;
  failureToTell_ = failure;
  PostMessageW(hwnd(), kSaveFailedMessage, 0, 0);
}

void MainWindow::LoadData() {
  // Each task leaves the waiting list as it is added, so a save during the slides finds it
  // in one place or the other, in its order.
  while (IsAlive()) {
    std::optional<Task> task = items_.TakeWaiting();
    if (!task) break;
    items_.AddItem(std::move(*task));
  }
  loadDone_ = true;
  if (rearmedAtStart_ && IsAlive()) SaveData();  // the marks of earlier days are gone from the file too
  // An unlock is told to the clock, which may have been held back while the session was
  // locked; the library comes now that the window stands, not before it is on screen.
  if (IsAlive() && !sessionNotices_) sessionNotices_ = RegisterSessionNotices(hwnd());
  // The rows stand: the look at the next minute is taken again now, not at the next wake,
  // which in the tray may be the minute itself.
  minuteSeen_ = -1;
  WakeClock();
}

void MainWindow::RealTime() {
  if (!ui_ || !IsAlive()) return;
  // Once a minute, a look at the next one.
  const ClockTime& now = ui_->LastTick();
  if (const int minute = now.hour * 60 + now.minute; minute != minuteSeen_) {
    minuteSeen_ = minute;
    if (onDueSoon && items_.DueNextMinute(now)) onDueSoon();
  }
  // Marks set and taken in the list itself: a tick where nothing changes allocates nothing.
  const DueResult due = items_.CheckDue(ui_->TimeNow(), ui_->LastTick());
  if (!due.changed) return;
  const auto showTime = [this](size_t i) {
    if (i < rows_.size() && i < items_.size() && rows_[i]->SetTime() != items_[i].time)
      rows_[i]->SetTime(items_[i].time);
  };
  for (size_t i = 0; i < rows_.size(); ++i)
    if (static_cast<int>(i) != due.fired) showTime(i);  // re-armed for a new day
  if (due.fired != kNoTaskDue) {
    // The reminder first, then the row's mark.
    const size_t fired = static_cast<size_t>(due.fired);
    // Copies: the list may change in whatever the reminder runs.
    if (onDue) onDue(std::u16string(ui_->TimeNow()), std::u16string(items_[fired].info));
    if (!IsAlive()) return;
    showTime(fired);
  }
  // The marks are kept across a restart: a fired one-off never rings again.
  SaveData();
  // Every task of the minute rings in it: the next one at once, not a second or a minute later.
  if (due.moreDue && ui_ && IsAlive()) ui_->WakeSoon();
}

void MainWindow::WakeClock() {
  // Not while the program ends: the window is hidden as it is destroyed, and no task may ring then.
  if (ui_ && !unloaded_ && IsAlive()) ui_->WakeNow();
}

void MainWindow::TimerProc() {
  const TimerActions actions = timerTicks_.Tick();
  if (actions.updateCheck && onUpdateCheck) onUpdateCheck();
  if (actions.trimWorkingSet) services_.trimWorkingSet();
}

void MainWindow::BackOnScreen() {
  RECT r;
  GetWindowRect(hwnd(), &r);
  const RECT work = WorkAreaOf(r);
  // Mostly on a monitor that is still there: it stays where the user put it.
  RECT seen;
  if (IntersectRect(&seen, &r, &work)) {
    const long long shown = 1LL * (seen.right - seen.left) * (seen.bottom - seen.top);
    if (2 * shown >= 1LL * (r.right - r.left) * (r.bottom - r.top)) return;
  }
  const SnapPoint p = KeepInWorkArea({work.left, work.top, work.right, work.bottom}, r.left, r.top,
                                     r.right - r.left, r.bottom - r.top);
  SetWindowPos(hwnd(), nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::OnTrayMouse(UINT mouseMessage) {
  if (mouseMessage != WM_LBUTTONUP) return;
  if (IsWindowVisible(hwnd())) {
    ShowWindow(hwnd(), SW_HIDE);
  } else {
    BackOnScreen();
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
  }
}

LRESULT MainWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
    TrayIcon(NIM_ADD, hwnd(), icon_);  // the notification area was rebuilt (Explorer restarted)
    return 0;
  }
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the clock panel paints the whole client area
    case WM_TIMER:
      if (wp == kBackgroundTimerId) {
        TimerProc();
        return 0;
      }
      if (wp == kPingTimerId) {
        KillTimer(hwnd(), kPingTimerId);
        if (!loadStarted_) {  // timer events during the slides must not start it again
          loadStarted_ = true;
          LoadData();
        }
        return 0;
      }
      break;
    case kSaveFailedMessage: {
      const std::u16string text = SaveFailureMessage(failureToTell_, data_.path());
      ShowModalBox(Wide(text), MB_ICONWARNING);
      return 0;
    }
    case kTrayMessage:
      OnTrayMouse(static_cast<UINT>(LOWORD(lp)));
      return 0;
    case WM_DPICHANGED: {  // moved onto a monitor of another resolution
      const RECT* suggested = reinterpret_cast<const RECT*>(lp);
      ApplyDpi(DpiOfChange(wp), suggested ? POINT{suggested->left, suggested->top} : POINT{Bounds().left, Bounds().top});
      return 0;
    }
    case WM_WINDOWPOSCHANGING:
      if (!snapping_) break;
      SnapWindowPos(hwnd(), *reinterpret_cast<WINDOWPOS*>(lp));
      return 0;
    case WM_WINDOWPOSCHANGED:  // shown or hidden: the clock wakes each second, or each minute
      if (const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
          pos && (pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)))
        WakeClock();
      break;
    // What may have moved the wall clock or held the timer back: it is read again at once.
    case WM_TIMECHANGE:
      WakeClock();
      break;
    case WM_SETTINGCHANGE:  // "intl": the time zone or the locale's settings
      if (lp && lstrcmpiW(reinterpret_cast<const wchar_t*>(lp), L"intl") == 0) WakeClock();
      break;
    case WM_POWERBROADCAST:
      if (wp == PBT_APMRESUMEAUTOMATIC || wp == PBT_APMRESUMESUSPEND) WakeClock();
      break;
    case WM_WTSSESSION_CHANGE:
      if (wp == WTS_SESSION_UNLOCK) WakeClock();
      break;
    case WM_CLOSE:
      Unload();
      return 0;
    case WM_DESTROY:
      if (quitOnDestroy) PostQuitMessage(0);
      break;
    default:
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace tavik
