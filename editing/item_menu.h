// The item menu of a task row: a right-button release over a row opens "编辑" / "删除".
#pragma once

#include <windows.h>

namespace tavik {

class MainWindow;

inline constexpr UINT kMenuEdit = 1;
inline constexpr UINT kMenuDelete = 2;

// The pop-up menu with its two entries, in this order; the caller destroys it.
HMENU CreateItemMenu();

// A row's mouse-up: the right button (2) remembers the row in actID and opens the menu at the
// pointer; other buttons do nothing.
void ItemMenuMouseUp(MainWindow& main, int index, short button);

// The menu key or Shift+F10 on a row: the same menu, at the row.
void ItemMenuKey(MainWindow& main, int index);
// The menu for row `index` at a screen point.
void OpenItemMenu(MainWindow& main, int index, POINT p);

// "编辑": the dialog filled from row actID and shown (saving is the dialog's "创建").
void EditClick(MainWindow& main);
// "删除": the later rows' texts move up one row, the last row goes, and the list is saved.
void DeleteClick(MainWindow& main);

}  // namespace tavik
