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

void ItemMenu::MouseUp(std::size_t at, short button) {
  if (button != kRightButton) return;
  POINT p;
  GetCursorPos(&p);
  Open(at, p);
}

void ItemMenu::MenuKey(std::size_t at, const RECT& row) {
  const HWND owner = owner_ ? owner_() : nullptr;
  if (at >= items_.size() || !owner) return;
  Open(at, POINT{row.left + Scale(kMenuKeyInset, WindowDpi(owner)), (row.top + row.bottom) / 2});
}

void ItemMenu::Open(std::size_t at, POINT p) {
  const HWND owner = owner_ ? owner_() : nullptr;
  if (!owner) return;
  actID = at;
  HMENU menu = CreateItemMenu();
  // Without this the menu stays open when the user clicks elsewhere.
  SetForegroundWindow(owner);
  const UINT command = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, p.x,
                     p.y, 0, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  DestroyMenu(menu);
  if (!owner_()) return;  // the program was closed while the menu was open
  if (command == kMenuEdit)
    EditClick();
  else if (command == kMenuDelete)
    DeleteClick();
}

void ItemMenu::EditClick() {
  if (!actID || *actID >= items_.size()) return;
  const Task task = items_[*actID];  // the dialog's load makes windows before it reads the texts
  dialog_.FillFrom(*actID, task);
  dialog_.Show();
}

void ItemMenu::DeleteClick() {
  if (!actID || !items_.RemoveItem(*actID)) return;
  dialog_.TaskRemoved(*actID);
  items_.SaveData();
}

}  // namespace tavik
