// The keyboard and the screen reader on the real windows: where the focus lands, what Esc and
// Enter do, what the stored text holds, where the window is after a right click, and what
// each drawn control is called.
#include <windows.h>

#include <oleacc.h>

#include <gtest/gtest.h>

#include "controls/message_bar.h"
#include "controls/new_button.h"
#include "core/keyboard.h"
#include "core/messages.h"
#include "editing/new_task_dialog.h"
#include "tests/win/clock_util.h"
#include "tests/win/test_util.h"
#include "widget/main_window.h"
#include "widget/tray.h"

namespace tavik {
namespace {

using test::TextOf;

using Dlg = NewTaskDialog;

// A key as the keyboard sends it: down and up to the window with the focus, through the
// program's message loop (which hands them to the dialog manager), Shift held when asked.
void Key(WORD vk, bool shift = false) {
  BYTE state[256];
  GetKeyboardState(state);
  state[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(state);
  const HWND to = GetFocus();
  const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  const bool system = vk == VK_F10;
  PostMessageW(to, system ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1 | (scan << 16));
  PostMessageW(to, system ? WM_SYSKEYUP : WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000u);
  test::PumpMessages();
  state[VK_SHIFT] = 0;
  SetKeyboardState(state);
}

class KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main_ = test::StartMainWindow(dir_.File(L"Tavik.cfg"));
    ASSERT_TRUE(main_);
    SetForegroundWindow(main_->hwnd());
  }
  void TearDown() override {
    main_.reset();
    test::PumpMessages();
  }
  Dlg& dlg() { return main_.program().frmNew; }
  HWND C(int id) { return dlg().Control(id); }
  void OpenDialog() {
    dlg().Show();
    ASSERT_TRUE(dlg().IsAlive());
    SetForegroundWindow(dlg().hwnd());
  }

  test::TempDir dir_;
  test::RunningProgram main_;
};

// "创建", "取消", the text box, the two lists, the seven weekday boxes ("提示音" cannot be
// changed, so the keyboard passes it by).
std::vector<int> TabOrder() {
  std::vector<int> ids = {Dlg::kCreateId, Dlg::kCancelId, Dlg::kTipsId, Dlg::kHourId, Dlg::kMinuteId};
  for (int i = 0; i < 7; ++i) ids.push_back(Dlg::kWeekId + i);
  return ids;
}

TEST_F(KeyboardTest, TabAndShiftTabWalkTheDialogBothWaysFromEveryControl) {
  OpenDialog();
  const std::vector<int> order = TabOrder();
  const size_t n = order.size();
  for (size_t i = 0; i < n; ++i) {
    SetFocus(C(order[i]));
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), C(order[(i + 1) % n])) << "Tab from control " << order[i];
    SetFocus(C(order[i]));
    Key(VK_TAB, /*shift=*/true);
    EXPECT_EQ(GetFocus(), C(order[(i + n - 1) % n])) << "Shift+Tab from control " << order[i];
  }
}

TEST_F(KeyboardTest, EscClosesTheDialogOnlyWhileNothingWasTypedOrPicked) {
  for (int id : TabOrder()) {
    OpenDialog();
    SetFocus(C(id));
    Key(VK_ESCAPE);
    EXPECT_FALSE(dlg().IsAlive()) << "an untouched dialog, Esc on control " << id;
  }
  // Typed, picked or checked: Esc keeps the dialog and what is in it, from every control.
  const std::function<void()> changes[] = {
      [this] { SendMessageW(C(Dlg::kTipsId), WM_CHAR, u'喝', 1); },
      [this] { SendMessageW(C(Dlg::kHourId), CB_SETCURSEL, 8, 0); },
      [this] { SendMessageW(C(Dlg::kWeekId + 2), BM_CLICK, 0, 0); },
  };
  for (const auto& change : changes) {
    OpenDialog();
    change();
    for (int id : TabOrder()) {
      SetFocus(C(id));
      Key(VK_ESCAPE);
      ASSERT_TRUE(dlg().IsAlive()) << "Esc on control " << id << " threw the input away";
    }
    dlg().Unload();
  }
  // An edit shows the task as it is: Esc closes it until something is changed.
  main_.items().AddItem(u"08:30", u"周135", u"开会");
  dlg().FillFrom(0, main_.items()[0]);
  OpenDialog();
  SetFocus(C(Dlg::kTipsId));
  Key(VK_ESCAPE);
  EXPECT_FALSE(dlg().IsAlive());
}

// Enter presses the button that has the focus and nothing else.
TEST_F(KeyboardTest, EnterPressesTheFocusedButtonOnly) {
  struct Case {
    int focus;
    bool closes;
    size_t rows;
  };
  const Case cases[] = {
      {Dlg::kHourId, false, 0},
      {Dlg::kWeekId, false, 0},
      {Dlg::kCancelId, true, 0},
      {Dlg::kCreateId, true, 1},
  };
  for (const Case& c : cases) {
    OpenDialog();
    SendMessageW(C(Dlg::kHourId), CB_SETCURSEL, 8, 0);
    SendMessageW(C(Dlg::kMinuteId), CB_SETCURSEL, 6, 0);
    SetFocus(C(c.focus));
    Key(VK_RETURN);
    EXPECT_EQ(!dlg().IsAlive(), c.closes) << "Enter on control " << c.focus;
    EXPECT_EQ(main_.items().All().size(), c.rows) << "Enter on control " << c.focus;
    if (dlg().IsAlive()) dlg().Unload();
  }
}

TEST_F(KeyboardTest, ALineBreakFitsWholeOrNotAtAll) {
  for (const size_t before : {79u, 78u}) {
    OpenDialog();
    const std::wstring text(before, L'字');
    SetWindowTextW(C(Dlg::kTipsId), text.c_str());
    SetFocus(C(Dlg::kTipsId));
    SendMessageW(C(Dlg::kTipsId), EM_SETSEL, before, before);
    Key(VK_RETURN);
    const std::wstring after = TextOf(C(Dlg::kTipsId));
    EXPECT_EQ(after, before == 79 ? text : text + L"\r\n") << before;
    dlg().Unload();
  }
  // A paste that would be cut between CR and LF keeps neither.
  OpenDialog();
  SetWindowTextW(C(Dlg::kTipsId), std::wstring(77, L'a').c_str());
  SendMessageW(C(Dlg::kTipsId), EM_SETSEL, 77, 77);
  ASSERT_TRUE(OpenClipboard(dlg().hwnd()));
  EmptyClipboard();
  const wchar_t paste[] = L"bc\r\nd";
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, sizeof paste);
  memcpy(GlobalLock(data), paste, sizeof paste);
  GlobalUnlock(data);
  SetClipboardData(CF_UNICODETEXT, data);
  CloseClipboard();
  SendMessageW(C(Dlg::kTipsId), WM_PASTE, 0, 0);
  EXPECT_EQ(TextOf(C(Dlg::kTipsId)), std::wstring(77, L'a') + L"bc");
}

TEST_F(KeyboardTest, EnterAndEscCloseThePopupAndStopItsSound) {
  test::Seams seams;
  for (const WORD vk : {VK_ESCAPE, VK_RETURN, VK_SPACE}) {
    ReminderPopup& popup = main_.program().frmRem;
    popup.Remind(u"08:30", u"喝水");
    ASSERT_TRUE(test::PumpUntil([&] { return popup.ringing(); }, 3000));
    EXPECT_NE(GetForegroundWindow(), popup.hwnd());  // it came without taking the keyboard
    // The user clicks it (beside its text and button): it is active, its button has the focus.
    RECT r = popup.Bounds();
    INPUT click[3] = {};
    for (INPUT& in : click) in.type = INPUT_MOUSE;
    click[0].mi.dx = (r.left + 100) * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    click[0].mi.dy = (r.top + 170) * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    click[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(3, click, sizeof(INPUT));
    test::PumpUntil([&] { return GetFocus() == popup.closeButton(); }, 1000);
    EXPECT_EQ(GetForegroundWindow(), popup.hwnd()) << vk;
    EXPECT_EQ(GetFocus(), popup.closeButton()) << vk;
    Key(vk);
    EXPECT_FALSE(popup.IsAlive()) << vk;
    EXPECT_FALSE(popup.ringing()) << vk;
    EXPECT_EQ(seams.sounds.back().sound, nullptr) << vk;  // the sound was stopped
  }
}

// The main window: Tab reaches the new-task button, then the rows in their order; Enter or
// Space on the button opens the dialog; the focus is drawn only once the keyboard is used.
TEST_F(KeyboardTest, TheButtonAndTheRowsAreReachedWithTabAndShowTheFocusOnlyThen) {
  main_.items().AddItem(u"08:30", u"不循环", u"喝水");
  main_.items().AddItem(u"09:00", u"周135", u"开会");
  const HWND button = main_->btnNew()->hwnd();
  // The mouse never puts the keyboard on a row or the button, so it never shows a focus.
  SetFocus(main_->hwnd());
  for (const HWND w : {main_->Row(0)->hwnd(), main_->Row(1)->hwnd()}) {
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 20));
    SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(100, 20));
    EXPECT_FALSE(FocusCueVisible(w));
  }
  EXPECT_EQ(GetFocus(), main_->hwnd());
  const HWND order[] = {button, main_->Row(0)->hwnd(), main_->Row(1)->hwnd()};
  for (const HWND w : order) {
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), w);
    EXPECT_TRUE(FocusCueVisible(w));
  }
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), button);  // round again (the bar is hidden)
  Key(VK_TAB, /*shift=*/true);
  EXPECT_EQ(GetFocus(), order[2]);

  for (const WORD vk : {VK_RETURN, VK_SPACE}) {
    SetFocus(button);
    Key(vk);
    EXPECT_TRUE(dlg().IsAlive()) << vk;
    dlg().Unload();
  }
}

struct MenuSeen {
  static MenuSeen* current;
  bool open = false;
  RECT rect{};
  static void CALLBACK Look(HWND, UINT, UINT_PTR id, DWORD) {
    const HWND menu = test::VisibleThreadWindow(L"#32768");
    if (!menu) return;
    current->open = true;
    GetWindowRect(menu, &current->rect);
    KillTimer(nullptr, id);
    EndMenu();
  }
};
MenuSeen* MenuSeen::current = nullptr;

TEST_F(KeyboardTest, TheMenuKeyAndShiftF10OpenTheRowsMenuAtTheRow) {
  main_.items().AddItem(u"08:30", u"不循环", u"喝水");
  main_.items().AddItem(u"09:00", u"周135", u"开会");
  RECT row;
  GetWindowRect(main_->Row(1)->hwnd(), &row);
  for (const bool shiftF10 : {false, true}) {
    main_.program().mnuItems.actID.reset();
    MenuSeen seen;
    MenuSeen::current = &seen;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, &MenuSeen::Look);
    SetFocus(main_->Row(1)->hwnd());
    Key(shiftF10 ? VK_F10 : VK_APPS, shiftF10);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(seen.open) << shiftF10;
    EXPECT_EQ(main_.program().mnuItems.actID, std::optional<std::size_t>(1)) << shiftF10;
    EXPECT_GE(seen.rect.left, row.left) << shiftF10;
    EXPECT_LE(seen.rect.top, row.bottom) << shiftF10;
  }
}

// A right or middle press on the clock starts no move: the system's move would end only at a
// left release, and the window would follow the pointer with no button held.
TEST_F(KeyboardTest, ARightOrMiddleClickOnTheClockLeavesTheWindowWhereItIs) {
  ClockPanel& ui = *main_->UI();
  const RECT time = ui.LabelRect(ClockPanel::Label::Time);
  const LPARAM at = MAKELPARAM(time.left + 5, time.top + 5);
  RECT before;
  GetWindowRect(main_->hwnd(), &before);
  struct Down {
    UINT down, up;
    WPARAM keys;
  } presses[] = {{WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON}, {WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON}};
  for (const Down& d : presses) {
    // A left click ends any move loop the press might have started, after the pointer moved.
    static RECT during;
    static HWND mainWindow;
    mainWindow = main_->hwnd();
    during = before;
    SetTimer(nullptr, 0, 150, [](HWND, UINT, UINT_PTR id, DWORD) CALLBACK {
      KillTimer(nullptr, id);
      POINT p;
      GetCursorPos(&p);
      SetCursorPos(p.x + 60, p.y + 40);
      GetWindowRect(mainWindow, &during);
      INPUT click[2] = {};
      click[0].type = click[1].type = INPUT_MOUSE;
      click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
      click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
      SendInput(2, click, sizeof(INPUT));
    });
    SendMessageW(ui.hwnd(), d.down, d.keys, at);
    SendMessageW(ui.hwnd(), d.up, 0, at);
    test::PumpUntil([] { return false; }, 400);
    POINT p;
    GetCursorPos(&p);
    SetCursorPos(p.x + 30, p.y + 30);  // and the pointer moves on, no button held
    test::PumpMessages();
    RECT after;
    GetWindowRect(main_->hwnd(), &after);
    EXPECT_EQ(after.left, before.left) << d.down;
    EXPECT_EQ(after.top, before.top) << d.down;
    EXPECT_EQ(during.left, before.left) << d.down;
  }
}

std::wstring AccName(IAccessible* acc, LONG child) {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = child;
  BSTR name = nullptr;
  if (acc->get_accName(v, &name) != S_OK || !name) return L"(none)";
  std::wstring out(name);
  SysFreeString(name);
  return out;
}

LONG AccRole(IAccessible* acc, LONG child) {
  VARIANT v, role;
  v.vt = VT_I4;
  v.lVal = child;
  VariantInit(&role);
  if (acc->get_accRole(v, &role) != S_OK || role.vt != VT_I4) return -1;
  return role.lVal;
}

TEST_F(KeyboardTest, EveryDrawnControlHasTheNameAScreenReaderSays) {
  test::Seams seams;
  seams.now = test::At(2026, 12, 9, 8, 5, 7);
  main_->UI()->Tick();
  main_.items().AddItem(u"08:30", u"不循环", u"喝水");
  EXPECT_EQ(TextOf(main_->Row(0)->hwnd()), L"08:30 不循环 喝水");
  main_->Row(0)->SetTime(u"08:30 (已完成)");  // kept current
  EXPECT_EQ(TextOf(main_->Row(0)->hwnd()), L"08:30 (已完成) 不循环 喝水");
  EXPECT_EQ(TextOf(main_->btnNew()->hwnd()), L"新建任务");
  main_->Msg()->DrawText(u"发现新版本 0.5.2");
  EXPECT_EQ(TextOf(main_->Msg()->hwnd()), L"发现新版本 0.5.2");

  // The object WM_GETOBJECT hands out. (A reader in another process gets it through the
  // system's marshaling, which this wine prefix lacks for IAccessible, so it is taken here.)
  ASSERT_GT(SendMessageW(main_->UI()->hwnd(), WM_GETOBJECT, 0, OBJID_CLIENT), 0);
  IAccessible* panel = main_->UI()->AccessibleObject();
  LONG count = 0;
  ASSERT_EQ(panel->get_accChildCount(&count), S_OK);
  ASSERT_EQ(count, 4);
  const struct {
    LONG child;
    const wchar_t* name;
    LONG role;
  } parts[] = {
      {1, L"Tavik Beta 0.5.1", ROLE_SYSTEM_STATICTEXT},
      {2, L"08:05:07 星期三 12/09", ROLE_SYSTEM_STATICTEXT},
      {3, L"最小化", ROLE_SYSTEM_PUSHBUTTON},
      {4, L"关闭", ROLE_SYSTEM_PUSHBUTTON},
  };
  for (const auto& p : parts) {
    EXPECT_EQ(AccName(panel, p.child), p.name);
    EXPECT_EQ(AccRole(panel, p.child), p.role) << p.child;
  }
  // Where the minimise button is, the reader finds it, and pressing it there hides the window.
  LONG x, y, w, h;
  VARIANT mini;
  mini.vt = VT_I4;
  mini.lVal = 3;
  ASSERT_EQ(panel->accLocation(&x, &y, &w, &h, mini), S_OK);
  VARIANT hit;
  ASSERT_EQ(panel->accHitTest(x + w / 2, y + h / 2, &hit), S_OK);
  EXPECT_EQ(hit.lVal, 3);
  EXPECT_EQ(panel->accDoDefaultAction(mini), S_OK);
  EXPECT_FALSE(IsWindowVisible(main_->hwnd()));
  panel->Release();
}

}  // namespace
}  // namespace tavik
