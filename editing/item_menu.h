// mnuItems, the item menu of a task row: a right-button release over a row, the menu key or
// Shift+F10 on it opens "编辑" / "删除".
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <utility>

#include "core/task_list.h"

namespace tavik {

class NewTaskDialog;

inline constexpr UINT kMenuEdit = 1;
inline constexpr UINT kMenuDelete = 2;

// The pop-up menu with its two entries, in this order; the caller destroys it.
HMENU CreateItemMenu();

class ItemMenu {
 public:
  // "编辑" fills `dialog` from a task of `items`; "删除" removes one. The menu belongs to the
  // window `owner` gives (null once it is gone).
  ItemMenu(TaskList& items, NewTaskDialog& dialog, std::function<HWND()> owner)
      : items_(items), dialog_(dialog), owner_(std::move(owner)) {}

  // A mouse-up on the row of the task at `at`: the right button opens the menu at the
  // pointer; other buttons do nothing.
  void MouseUp(std::size_t at, short button);
  // The menu key or Shift+F10 on the row of the task at `at`, which is at `row` on the
  // screen: the same menu, at the row.
  void MenuKey(std::size_t at, const RECT& row);
  // The menu for the task at `at`, at a screen point.
  void Open(std::size_t at, POINT p);

  // "编辑": the dialog filled from the task at actID and shown (saving is the dialog's "创建").
  void EditClick();
  // "删除": the task at actID goes, the later ones move up, and the list is saved.
  void DeleteClick();

  // The place of the task on which the menu was last opened.
  std::optional<std::size_t> actID;

 private:
  TaskList& items_;
  NewTaskDialog& dialog_;
  std::function<HWND()> owner_;
};

}  // namespace tavik
