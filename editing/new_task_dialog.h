// editing/: the new-task dialog, the item menu on a row and the dialog's rules.
//
// frmNew, the one dialog in which a task is entered or changed: hour and minute lists, the
// weekday boxes, the reminder text with its counter, "创建" and "取消". The program has one;
// its window is made on first use and thrown away when it closes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "controls/layout.h"

#include "core/task_data.h"
#include "core/task_list.h"
#include "core/window.h"
#include "editing/task_form.h"

namespace tavik {

class NewTaskDialog : public Window {
 public:
  // "创建" adds to or changes this list.
  explicit NewTaskDialog(TaskList& items) : items_(items) {}
  ~NewTaskDialog() override { Destroy(); }

  // Control identifiers (kept clear of IDOK and IDCANCEL, which Enter and Escape produce).
  static constexpr int kCreateId = 101;   // Command1 "创建"
  static constexpr int kCancelId = 102;   // Command2 "取消"
  static constexpr int kTipsId = 103;     // the reminder text
  static constexpr int kHourId = 104;     // Time(0)
  static constexpr int kMinuteId = 105;   // Time(1)
  static constexpr int kWeekId = 110;     // Week(0) .. Week(6) are kWeekId + i
  static constexpr int kSoundId = 120;    // Check1 "提示音"
  static constexpr int kCounterId = 121;  // Zs "N/80 字"
  static constexpr int kTimeLabelId = 131;  // the labels "时间", "时", "分", "重复", "提醒标签"
  static constexpr int kHourLabelId = 132;
  static constexpr int kMinuteLabelId = 133;
  static constexpr int kRepeatLabelId = 134;
  static constexpr int kTipsLabelId = 135;

  // Empty for a new task, otherwise the place of the task being changed. Empty again whenever
  // the dialog closes.
  std::optional<std::size_t> ID;

  // Makes the window (hidden, filled lists, nothing picked) unless it exists.
  void Load();
  // Loads, then shows it modelessly and brings it forward with whatever it holds.
  void Show();
  // Closes it; the next use starts from an empty dialog for a new task.
  void Unload();

  // Puts the texts of the task at place `at` into the controls for "编辑" (every box set,
  // parts that are not list entries left empty) without showing the dialog.
  void FillFrom(std::size_t at, const Task& task);

  // One of the dialog's controls by its identifier (null while the dialog is not loaded).
  HWND Control(int id) const { return hwnd() ? GetDlgItem(hwnd(), id) : nullptr; }

  // Where the controls go at the resolution it is shown at (361 x 251 at 96 dpi).
  const DialogLayout& layout() const { return layout_; }

  // "创建" and "取消", as the buttons do.
  void Create();
  void Cancel() { Unload(); }

  // Esc: closes the dialog only while it holds what it was opened with.
  void Escape();

  // The task at place `at` was deleted: an edit in progress follows its task up, or closes
  // when the task it changes is gone.
  void TaskRemoved(std::size_t at);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept override;

 private:
  std::vector<std::pair<int, PixelRect>> Boxes() const;
  HWND AddControl(const wchar_t* cls, const wchar_t* text, DWORD style, int id);
  void ApplyDpi(int dpi, const RECT* suggested);
  struct State {
    int hour = -1, minute = -1;
    WeekChecks week{};
    std::u16string tips;
    bool operator==(const State& o) const {
      return hour == o.hour && minute == o.minute && week == o.week && tips == o.tips;
    }
  };
  State Snapshot() const;

  void SetTips(const std::u16string& text);
  void UpdateCounter();
  std::u16string Text(int id) const;

  TaskList& items_;
  int dpi_ = kBaseDpi;
  DialogLayout layout_ = LayoutDialog(kBaseDpi);
  State pristine_;
};

}  // namespace tavik
