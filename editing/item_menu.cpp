#include "editing/item_menu.h"

#include "core/main_window.h"
#include "editing/new_task_dialog.h"

namespace tavik {

HMENU CreateItemMenu() {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kMenuEdit, L"编辑");
  AppendMenuW(menu, MF_STRING, kMenuDelete, L"删除");
  return menu;
}

void ItemMenuMouseUp(MainWindow& main, int index, short button) {
  if (button != 2) return;
  POINT p;
  GetCursorPos(&p);
  OpenItemMenu(main, index, p);
}

void ItemMenuKey(MainWindow& main, int index) {
  const TaskRow* row = main.Row(index);
  if (!row) return;
  RECT r;
  GetWindowRect(row->hwnd(), &r);
  OpenItemMenu(main, index, POINT{r.left + 8, r.top + TaskRow::kHeight / 2});
}

void OpenItemMenu(MainWindow& main, int index, POINT p) {
  main.actID = static_cast<short>(index);
  HMENU menu = CreateItemMenu();
  // Without this the menu stays open when the user clicks elsewhere.
  SetForegroundWindow(main.hwnd());
  const UINT command = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, p.x,
                     p.y, 0, main.hwnd(), nullptr));
  PostMessageW(main.hwnd(), WM_NULL, 0, 0);
  DestroyMenu(menu);
  if (!main.IsAlive()) return;
  if (command == kMenuEdit)
    EditClick(main);
  else if (command == kMenuDelete)
    DeleteClick(main);
}

void EditClick(MainWindow& main) {
  const TaskRow* row = main.Row(main.actID);
  if (main.actID < 1 || !row) return;
  frmNew().FillFrom(main.actID, row->task());
  frmNew().Show();
}

void DeleteClick(MainWindow& main) {
  const int last = main.HighestIndex();
  const int id = main.actID;
  if (id < 1 || id > last) return;
  for (int i = id; i < last; ++i) {
    TaskRow* row = main.Row(i);
    const TaskRow* below = main.Row(i + 1);
    row->SetTime(below->SetTime());
    row->SetCycle(below->SetCycle());
    row->RemInfo(below->RemInfo());
  }
  // A row still sliding in is the last one; removed, its slide ends (AddItem keeps to its row).
  main.RemoveLastRow();
  frmNew().RowDeleted(main.actID);
  main.SaveData();
}

}  // namespace tavik
