#include "editing/item_menu.h"

#include "core/dpi.h"
#include "core/mouse_buttons.h"
#include "core/window.h"
#include "editing/new_task_dialog.h"

namespace tavik {
namespace {

constexpr int kMenuKeyInset = 8;  // the menu opens this far into the row (at 96 dpi), at its middle

}  // namespace

HMENU CreateItemMenu() {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kMenuEdit, L"编辑");
  AppendMenuW(menu, MF_STRING, kMenuDelete, L"删除");
  return menu;
}

void ItemMenu::MouseUp(int index, short button) {
  if (button != kRightButton) return;
  POINT p;
  GetCursorPos(&p);
  Open(index, p);
}

void ItemMenu::MenuKey(int index) {
  if (index < 1 || index > list_.HighestIndex()) return;
  const RECT r = list_.RowScreenRect(index);
  Open(index, POINT{r.left + Scale(kMenuKeyInset, WindowDpi(list_.Owner())), (r.top + r.bottom) / 2});
}

void ItemMenu::Open(int index, POINT p) {
  const HWND owner = list_.Owner();
  if (!owner) return;
  actID = static_cast<short>(index);
  HMENU menu = CreateItemMenu();
  // Without this the menu stays open when the user clicks elsewhere.
  SetForegroundWindow(owner);
  const UINT command = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, p.x,
                     p.y, 0, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  DestroyMenu(menu);
  if (!list_.Owner()) return;  // the program was closed while the menu was open
  if (command == kMenuEdit)
    EditClick();
  else if (command == kMenuDelete)
    DeleteClick();
}

void ItemMenu::EditClick() {
  if (actID < 1 || actID > list_.HighestIndex()) return;
  dialog_.FillFrom(actID, list_.RowTask(actID));
  dialog_.Show();
}

void ItemMenu::DeleteClick() {
  const int last = list_.HighestIndex();
  const int id = actID;
  if (id < 1 || id > last) return;
  for (int i = id; i < last; ++i) {
    const Task below = list_.RowTask(i + 1);
    list_.EditItem(static_cast<short>(i), below.time, below.cycle, below.info);
  }
  // A row still sliding in is the last one; removed, its slide ends (AddItem keeps to its row).
  list_.RemoveLastRow();
  dialog_.RowDeleted(actID);
  list_.SaveData();
}

}  // namespace tavik
