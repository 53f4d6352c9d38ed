// One task in the main window's list: a white 240 x 50 strip (at 96 dpi) with the time at the top left,
// the cycle at the top right and the first line of the reminder text below. It lights up
// under the pointer and reports every button release over it to its owner.
#pragma once

#include <functional>
#include <string>

#include "controls/layout.h"
#include "core/leave_check.h"
#include "core/task_data.h"
#include "core/window.h"

namespace tavik {

class TaskRow : public Window {
 public:
  // button: kLeftButton, kRightButton or kMiddleButton.
  using MouseUpHandler = std::function<void(TaskRow& row, short button)>;
  // The menu key or Shift+F10 while the row has the keyboard.
  using MenuKeyHandler = std::function<void(TaskRow& row)>;

  TaskRow(HWND parent, MouseUpHandler onMouseUp, MenuKeyHandler onMenuKey = nullptr, int dpi = kBaseDpi);
  ~TaskRow() override { Destroy(); }  // its tooltip goes with it

  unsigned serial() const { return serial_; }  // unique per row for the whole run

  const std::u16string& SetTime() const { return task_.time; }
  const std::u16string& SetCycle() const { return task_.cycle; }
  const std::u16string& RemInfo() const { return task_.info; }
  void SetTime(const std::u16string& text);
  void SetCycle(const std::u16string& text);
  void RemInfo(const std::u16string& text);
  const Task& task() const { return task_; }
  // All three texts at once, in the order time, reminder text, cycle.
  void Show(const Task& task);
  std::u16string GetData() const { return tavik::GetData(task_); }

  bool highlighted() const { return highlighted_; }
  RECT InfoRect() const { return infoRect_; }
  // The text the tooltip shows over the reminder text (the tooltip is made at the first hover).
  const std::u16string& TooltipText() const { return tipText_; }
  HWND tooltip() const { return tooltip_; }
  RECT TimeRect() const;
  RECT CycleRect() const;
  // Size, labels and fonts for a new resolution.
  void SetDpi(int dpi);
  const RowLayout& layout() const { return layout_; }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept override;

 private:
  void Normal();  // size and normal colours
  void Highlight();
  void PlaceInfo();
  void Paint();
  bool OverLabel(POINT p) const;
  void ShowTooltips();
  void UpdateTooltip();
  void UpdateName();  // the window text a screen reader says: time, cycle and reminder text

  unsigned serial_;
  MouseUpHandler onMouseUp_;
  MenuKeyHandler onMenuKey_;
  int dpi_;
  RowLayout layout_;
  Task task_{u"00:00", u"循环周期", u"提醒内容"};
  bool highlighted_ = false;
  LeaveCheck leaveCheck_;
  RECT infoRect_{};
  HWND tooltip_ = nullptr;
  std::u16string tipText_;
};

}  // namespace tavik
