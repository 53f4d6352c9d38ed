// widget/: the main window with its tray icon and its snapping to the screen's edges.
//
// The main window: the clock face, the task rows, the new-task button and the message bar.
// It lives for the whole run; closing it ends the program.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/clock_panel.h"
#include "controls/layout.h"
#include "controls/message_bar.h"
#include "controls/task_row.h"
#include "core/data_file.h"
#include "core/look.h"
#include "core/services.h"
#include "core/task_data.h"
#include "core/task_list.h"
#include "core/timer_ticks.h"
#include "core/window.h"

namespace tavik {

class NewButton;

class MainWindow : public Window, public TaskList::Owner {
 public:
  static constexpr COLORREF kBackColor = kProgramRed;
  static constexpr UINT_PTR kBackgroundTimerId = 1;
  static constexpr UINT kBackgroundTimerMs = TAVIK_BACKGROUND_TIMER_MS;  // ten minutes
  static constexpr UINT_PTR kPingTimerId = 2;
  static constexpr short kSlideDelayMs = 15;
  // The clock, the message boxes and the trim go through `services`; the window shows `items`
  // and keeps it in the data file at `cfgPath`. Both outlive the window.
  MainWindow(std::wstring cfgPath, const Services& services, TaskList& items);
  ~MainWindow() override;

  // Creates the window centred on the screen and runs the load; then show it.
  bool Create();
  void Show();
  // Ends the program: snapping ended, tray icon deleted, the other windows closed. While a
  // message box of the program is open the unload waits for it to close, so nothing that
  // the box interrupted loses its objects.
  void Unload();
  // A message box owned by this window: the window is disabled until it is closed, and the
  // box stays above it. Returns its answer.
  int ShowModalBox(const std::wstring& text, UINT type);
  bool InModalBox() const { return modalBoxes_ > 0; }
  // The program is ending: work a box interrupted does not go on.
  bool Closing() const { return closeRequested_ || unloaded_ || !IsAlive(); }

  // The row that shows the task at place `at` (null when there is none yet), and the hidden
  // template row above the first one.
  TaskRow* Row(std::size_t at) const { return at < rows_.size() ? rows_[at].get() : nullptr; }
  std::size_t RowCount() const { return rows_.size(); }
  TaskRow* TemplateRow() const { return template_.get(); }
  NewButton* btnNew() const { return btnNew_.get(); }

  // The list's changes, shown: a new row slides in from the right (events run meanwhile), a
  // changed one shows its new texts, and a removal moves the later texts up a row and removes
  // the last row.
  void TaskAdded(std::size_t at) override;
  void TaskChanged(std::size_t at) override;
  void TaskRemoved(std::size_t at) override;
  // Writes the list, with the stored tasks the load has not added yet. False when the file
  // could not be written (the old file is then still whole, and the first failure of the run
  // is told in a message box).
  bool SaveData() override;

  const std::wstring& cfgPath() const { return data_.path(); }
  HICON icon() const { return icon_; }
  bool loadDone() const { return loadDone_; }
  MessageBar* Msg() const { return msg_.get(); }
  ClockPanel* UI() const { return ui_.get(); }
  // The resolution the window is laid out for, and where its parts go at it.
  int dpi() const { return dpi_; }
  const MainLayout& layout() const { return layout_; }

  // The due check after every clock tick: the day's re-arm, then the first due task fires;
  // the list is saved when a mark changed, and the clock wakes again at once while another
  // task is due in the minute.
  void RealTime();
  // The ten-minute timer: the update check on its ticks, the working-set trim on every second.
  void TimerProc();

  // Events, raised to whoever the program plugs in.
  // A button released over the row of the task at `at`, and the menu key on one (the item
  // menu); `row` is where the row is on the screen.
  std::function<void(std::size_t at, short button)> onRowMouseUp;
  std::function<void(std::size_t at, const RECT& row)> onRowMenuKey;
  // "新建任务" pressed while the list has room for another task (the dialog).
  std::function<void()> onNewTask;
  // A task fell due: its time text (the clock's) and its reminder text (the popup).
  std::function<void(const std::u16string& time, const std::u16string& info)> onDue;
  // A task may fall due in the next minute (raised once a minute): the popup gets ready.
  std::function<void()> onDueSoon;
  // The background timer's update check (the online services).
  std::function<void()> onUpdateCheck;
  // The windows of the other parts, closed with the main window in this order.
  std::vector<std::function<void()>> unloadOthers;
  // The program ends when the window is gone (tests keep their own message loop).
  bool quitOnDestroy = true;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept override;

 private:
  void Load();
  void LoadData();  // the one-shot load: the stored tasks added to the list, one by one
  void SaveFailed(DataFile::Failure failure);
  void OnTrayMouse(UINT mouseMessage);
  // The clock reads the time now and arms its next wake for the window's present state.
  void WakeClock();
  // A window whose monitor was removed comes back onto the nearest one.
  void BackOnScreen();
  // Lays the window and its children out for dpi, its top left at `at`.
  void ApplyDpi(int dpi, POINT at);
  void PlaceRow(TaskRow& row, int slot);  // slot 0: the template; the task at place i is in slot i + 1
  bool RowAlive(unsigned serial) const;
  int RowAt(const TaskRow& row) const;  // the place of the task it shows, or -1

  const Services& services_;
  int dpi_ = kBaseDpi;
  MainLayout layout_ = LayoutMain(kBaseDpi);
  TaskList& items_;
  DataFile data_;
  TimerTicks timerTicks_;
  DataFile::Failure failureToTell_ = DataFile::Failure::None;
  bool failureTold_ = false;
  HICON icon_ = nullptr;
  std::unique_ptr<ClockPanel> ui_;
  int minuteSeen_ = -1;  // the minute of the last look ahead
  std::unique_ptr<TaskRow> template_;
  std::vector<std::unique_ptr<TaskRow>> rows_;  // rows_[i] shows items_[i]
  std::unique_ptr<MessageBar> msg_;
  std::unique_ptr<NewButton> btnNew_;
  bool trayAdded_ = false;
  bool loadStarted_ = false;
  bool loadDone_ = false;
  bool sessionNotices_ = false;  // registered for WM_WTSSESSION_CHANGE
  bool rearmedAtStart_ = false;  // the start took marks of earlier days: saved once the rows stand
  bool unloaded_ = false;
  bool snapping_ = false;  // from the load to the unload
  int modalBoxes_ = 0;
  bool closeRequested_ = false;
  UINT taskbarCreated_ = 0;
};

}  // namespace tavik
