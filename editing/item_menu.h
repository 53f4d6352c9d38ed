// mnuItems, the item menu of a task row: a right-button release over a row, the menu key or
// Shift+F10 on it opens "编辑" / "删除".
#pragma once

#include <windows.h>

#include "core/task_list.h"

namespace tavik {

class NewTaskDialog;

inline constexpr UINT kMenuEdit = 1;
inline constexpr UINT kMenuDelete = 2;

// The pop-up menu with its two entries, in this order; the caller destroys it.
HMENU CreateItemMenu();

class ItemMenu {
 public:
  // "编辑" fills `dialog` from a row of `list`; "删除" changes `list`.
  ItemMenu(TaskList& list, NewTaskDialog& dialog) : list_(list), dialog_(dialog) {}

  // A row's mouse-up: the right button opens the menu at the pointer; other buttons do nothing.
  void MouseUp(int index, short button);
  // The menu key or Shift+F10 on a row: the same menu, at the row.
  void MenuKey(int index);
  // The menu for row `index` at a screen point.
  void Open(int index, POINT p);

  // "编辑": the dialog filled from row actID and shown (saving is the dialog's "创建").
  void EditClick();
  // "删除": the later rows' texts move up one row, the last row goes, and the list is saved.
  void DeleteClick();

  // The row on which the menu was last opened.
  short actID = 0;

 private:
  TaskList& list_;
  NewTaskDialog& dialog_;
};

}  // namespace tavik
