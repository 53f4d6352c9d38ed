// The new-task dialog, the new-task button and the item menu, driven through their real
// windows and checked against the rows and the data file.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "controls/new_button.h"
#include "core/file_io.h"
#include "core/ansi.h"
#include "core/look.h"
#include "core/messages.h"
#include "core/wide.h"
#include "editing/item_menu.h"
#include "editing/new_task_dialog.h"
#include "tests/win/test_util.h"
#include "widget/main_window.h"
#include "widget/tray.h"

namespace tavik {
namespace {

using test::DataFileBytes;
using test::ReadFileBytes;
using test::TextOf;
using test::WriteFileBytes;
using Dlg = NewTaskDialog;

// Keeps every text a window is given (ref: a std::vector<std::wstring>).
LRESULT CALLBACK RecordTexts(HWND h, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  if (m == WM_SETTEXT) reinterpret_cast<std::vector<std::wstring>*>(ref)->push_back(reinterpret_cast<const wchar_t*>(lp));
  return DefSubclassProc(h, m, wp, lp);
}

class TaskEditingTest : public ::testing::Test {
 protected:
  void Start(const std::vector<Task>& tasks) {
    if (!tasks.empty()) WriteFileBytes(cfg(), DataFileBytes(tasks));
    main_ = test::StartMainWindow(cfg());
    ASSERT_TRUE(main_);
  }
  void TearDown() override {
    if (main_) {
      main_->Unload();
      EXPECT_FALSE(dlg().IsAlive());  // the main window's unload closes the dialog
    }
    main_.reset();
    test::PumpMessages();
  }
  std::wstring cfg() const { return dir_.File(L"Tavik.cfg"); }
  Dlg& dlg() { return main_.program().frmNew; }
  HWND C(int id) { return dlg().Control(id); }

  void PressNew() { SendMessageW(main_->btnNew()->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 20)); }
  void Pick(int hour, int minute) {
    SendMessageW(C(Dlg::kHourId), CB_SETCURSEL, static_cast<WPARAM>(hour), 0);
    SendMessageW(C(Dlg::kMinuteId), CB_SETCURSEL, static_cast<WPARAM>(minute), 0);
  }
  void CheckDays(std::initializer_list<int> days) {  // 1 Monday .. 7 Sunday
    for (int d : days) SendMessageW(C(Dlg::kWeekId + d - 1), BM_CLICK, 0, 0);
  }
  void Type(const std::u16string& text) {
    for (char16_t c : text) SendMessageW(C(Dlg::kTipsId), WM_CHAR, c, 1);
  }
  void Press(int id) { SendMessageW(C(id), BM_CLICK, 0, 0); }
  std::wstring Counter() { return TextOf(C(Dlg::kCounterId)); }
  std::wstring Tips() { return TextOf(C(Dlg::kTipsId)); }
  bool Checked(int day) { return SendMessageW(C(Dlg::kWeekId + day - 1), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void OpenEdit(std::size_t at) {
    main_.program().mnuItems.actID = at;
    main_.program().mnuItems.EditClick();
  }

  test::TempDir dir_;
  test::RunningProgram main_;
};

TEST_F(TaskEditingTest, DialogOpensEmptyAtItsLayout) {
  Start({});
  PressNew();
  ASSERT_TRUE(dlg().IsAlive());
  const HWND w = dlg().hwnd();
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_EQ(TextOf(w), L"新任务");
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, 361);
  EXPECT_EQ(client.bottom, 251);
  const LONG style = GetWindowLongW(w, GWL_STYLE);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
  EXPECT_EQ(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
  EXPECT_NE(GetWindow(w, GW_OWNER), nullptr);  // an owned window has no taskbar button
  RECT frame;
  GetWindowRect(w, &frame);
  EXPECT_LE(std::abs((frame.left + frame.right) - GetSystemMetrics(SM_CXSCREEN)), 1);
  EXPECT_LE(std::abs((frame.top + frame.bottom) - GetSystemMetrics(SM_CYSCREEN)), 1);

  const struct {
    int id;
    RECT r;
  } places[] = {
      {Dlg::kHourId, {184, 16, 241, 41}},      {Dlg::kMinuteId, {272, 16, 329, 41}},
      {Dlg::kWeekId, {16, 64, 57, 81}},        {Dlg::kWeekId + 6, {304, 64, 345, 81}},
      {Dlg::kSoundId, {16, 88, 345, 105}},     {Dlg::kCounterId, {296, 112, 345, 129}},
      {Dlg::kTipsId, {16, 136, 345, 209}},     {Dlg::kCreateId, {192, 216, 265, 241}},
      {Dlg::kCancelId, {272, 216, 345, 241}},
  };
  for (const auto& p : places) {
    RECT r;
    GetWindowRect(C(p.id), &r);
    MapWindowPoints(HWND_DESKTOP, w, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, p.r.left) << p.id;
    EXPECT_EQ(r.top, p.r.top) << p.id;
    EXPECT_EQ(r.right, p.r.right) << p.id;
    EXPECT_EQ(r.bottom, p.r.bottom) << p.id;
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(C(p.id), WM_GETFONT, 0, 0)), YaHei9()) << p.id;
  }
  EXPECT_EQ(GetWindowLongW(C(Dlg::kTipsId), GWL_STYLE) & (ES_MULTILINE | WS_VSCROLL), ES_MULTILINE | WS_VSCROLL);
  // Tab walks "创建", "取消", the text, as the program's message loop hands it to the dialog.
  for (int id : {Dlg::kCreateId, Dlg::kCancelId, Dlg::kTipsId}) {
    EXPECT_EQ(GetFocus(), C(id));
    MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001, 0, {}};
    EXPECT_TRUE(IsDialogMessageW(w, &tab));
  }

  const struct {
    int id;
    int count;
    const wchar_t* first;
    const wchar_t* last;
  } lists[] = {{Dlg::kHourId, 24, L"00", L"23"}, {Dlg::kMinuteId, 12, L"00", L"55"}};
  for (const auto& l : lists) {
    const HWND list = C(l.id);
    ASSERT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), l.count);
    wchar_t text[8];
    SendMessageW(list, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, l.first);
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(l.count - 1), reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, l.last);
    EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(TextOf(list), L"");
  }
  for (int d = 1; d <= 7; ++d) EXPECT_FALSE(Checked(d)) << d;
  EXPECT_EQ(Tips(), L"");
  EXPECT_EQ(Counter(), L"80/80 字");
}

TEST_F(TaskEditingTest, CreateAddsSavesAndClosesWithTheCycleOfTheCheckedDays) {
  Start({});
  const struct {
    std::initializer_list<int> days;
    int hour, minute;
    std::u16string typed;
    Task expected;
  } cases[] = {
      {{1, 3, 5}, 8, 6, u"开会", {u"08:30", u"周135", u"开会"}},
      {{}, 0, 0, u"", {u"00:00", u"不循环", u"无"}},
      {{1, 2, 3, 4, 5, 6, 7}, 23, 11, u"a;b,c", {u"23:55", u"周1234567", u"a;b,c"}},
      {{7}, 12, 1, u"x", {u"12:05", u"周7", u"x"}},
  };
  std::vector<Task> expected;
  for (const auto& c : cases) {
    PressNew();
    ASSERT_TRUE(dlg().IsAlive());
    EXPECT_FALSE(dlg().ID);
    Pick(c.hour, c.minute);
    CheckDays(c.days);
    Type(c.typed);
    Press(Dlg::kCreateId);
    EXPECT_FALSE(dlg().IsAlive());
    expected.push_back(c.expected);
    ASSERT_EQ(main_.items().All(), expected);
    test::ExpectRowsInPlace(*main_, main_.items());  // the new row has slid into its place
    EXPECT_EQ(ReadFileBytes(cfg()), DataFileBytes(expected));
  }
}

TEST_F(TaskEditingTest, AMissingHourOrMinuteChangesNothing) {
  Start({});
  for (const auto& pick : {std::pair{8, -1}, std::pair{-1, 6}, std::pair{-1, -1}}) {
    PressNew();
    Pick(pick.first, pick.second);
    Press(Dlg::kCreateId);
    ASSERT_TRUE(dlg().IsAlive());
    EXPECT_TRUE(IsWindowVisible(dlg().hwnd()));
    EXPECT_EQ(Tips(), L"");  // not even the "无" of an empty text
    EXPECT_TRUE(main_.items().empty());
    EXPECT_FALSE(FileExists(cfg()));
  }
}

TEST_F(TaskEditingTest, CounterFollowsTypingEditsAndTheNoTextDefault) {
  Start({{u"07:00", u"不循环", u"0123456789"}});
  PressNew();
  Type(u"你好abc");
  EXPECT_EQ(Counter(), L"75/80 字");
  SendMessageW(C(Dlg::kTipsId), WM_CHAR, VK_BACK, 1);
  EXPECT_EQ(Counter(), L"76/80 字");

  OpenEdit(0);
  EXPECT_EQ(Tips(), L"0123456789");
  EXPECT_EQ(Counter(), L"70/80 字");

  // An emptied text becomes "无", and the counter shows it before the dialog closes.
  std::vector<std::wstring> shown;
  SetWindowSubclass(C(Dlg::kCounterId), &RecordTexts, 1, reinterpret_cast<DWORD_PTR>(&shown));
  SendMessageW(C(Dlg::kTipsId), EM_SETSEL, 0, -1);
  Type(u"\b");
  Press(Dlg::kCreateId);
  EXPECT_EQ(shown, (std::vector<std::wstring>{L"80/80 字", L"79/80 字"}));
  EXPECT_EQ(main_->Row(0)->task(), (Task{u"07:00", u"不循环", u"无"}));
}

TEST_F(TaskEditingTest, TextStopsAtEightyUnlessASelectionIsReplaced) {
  Start({});
  PressNew();
  const std::u16string full(80, u'字');
  Type(full);
  EXPECT_EQ(Counter(), L"0/80 字");
  Type(u"xy\r");
  EXPECT_EQ(U16(Tips()), full);

  SendMessageW(C(Dlg::kTipsId), EM_SETSEL, 77, 80);
  Type(u"z");
  EXPECT_EQ(U16(Tips()), std::u16string(77, u'字') + u"z");
  EXPECT_EQ(Counter(), L"2/80 字");

  Type(u"12");
  EXPECT_EQ(Counter(), L"0/80 字");
  SendMessageW(C(Dlg::kTipsId), EM_SETSEL, 80, 80);
  SendMessageW(C(Dlg::kTipsId), WM_CHAR, VK_BACK, 1);  // Backspace always works
  EXPECT_EQ(U16(Tips()), std::u16string(77, u'字') + u"z1");
}

TEST_F(TaskEditingTest, ButtonOpensTheDialogOnlyWhileFourTasksOrFewerExist) {
  std::vector<Task> tasks;
  for (int i = 1; i <= 5; ++i) tasks.push_back({u"0" + Ascii(std::to_string(i)) + u":00", u"不循环", u"t"});
  Start(tasks);
  ASSERT_EQ(main_.items().size(), 5u);
  PressNew();
  EXPECT_FALSE(dlg().IsAlive());

  main_.program().mnuItems.actID = 4;
  main_.program().mnuItems.DeleteClick();
  const HWND button = main_->btnNew()->hwnd();
  SendMessageW(button, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(100, 20));
  SendMessageW(button, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(100, 20));
  EXPECT_FALSE(dlg().IsAlive());
  PressNew();
  ASSERT_TRUE(dlg().IsAlive());

  // A second press while an edit is open brings that same dialog forward, still an edit.
  OpenEdit(1);
  const HWND first = dlg().hwnd();
  PressNew();
  EXPECT_EQ(dlg().hwnd(), first);
  EXPECT_EQ(dlg().ID, std::optional<std::size_t>(1));
  EXPECT_EQ(SendMessageW(C(Dlg::kHourId), CB_GETCURSEL, 0, 0), 2);
}

TEST_F(TaskEditingTest, DeleteMovesLaterTasksUpWithTheirMarksAndSaves) {
  const Task a{u"08:00", u"不循环", u"a"}, b{u"09:00 (已完成)", u"不循环", u"b"}, c{u"10:00", u"周67", u"c"};
  const struct {
    const char* name;
    std::size_t at;
    std::vector<Task> after;
  } cases[] = {
      {"last row", 2, {a, b}},
      {"first of three", 0, {b, c}},
      {"a done row", 1, {a, c}},
  };
  for (const auto& k : cases) {
    Start({a, b, c});
    main_.program().mnuItems.actID = k.at;
    main_.program().mnuItems.DeleteClick();
    EXPECT_EQ(main_.items().All(), k.after) << k.name;
    test::ExpectRowsInPlace(*main_, main_.items());
    EXPECT_EQ(ReadFileBytes(cfg()), DataFileBytes(k.after)) << k.name;
    main_.reset();
  }
}

TEST_F(TaskEditingTest, DeleteWhileANewRowSlidesLeavesNoRowMovingAndNoGap) {
  for (std::size_t victim : {0, 1}) {
    Start({{u"08:00", u"不循环", u"old"}});
    // The user deletes while the new row is on its way in.
    static ItemMenu* menu;
    menu = &main_.program().mnuItems;
    SetTimer(nullptr, 0, 40, [](HWND, UINT, UINT_PTR id, DWORD) CALLBACK {
      KillTimer(nullptr, id);
      menu->DeleteClick();
    });
    main_.program().mnuItems.actID = victim;
    PressNew();
    Pick(9, 0);
    Type(u"new");
    Press(Dlg::kCreateId);
    test::PumpUntil([] { return false; }, 100);
    test::ExpectRowsInPlace(*main_, main_.items());
    const Task kept = victim == 0 ? Task{u"09:00", u"不循环", u"new"} : Task{u"08:00", u"不循环", u"old"};
    EXPECT_EQ(main_.items().All(), std::vector<Task>{kept}) << victim;
    EXPECT_EQ(ReadFileBytes(cfg()), DataFileBytes({kept})) << victim;
    main_.reset();
  }
}

TEST_F(TaskEditingTest, EditShowsTheTaskWithoutItsMarkAndCreateRearmsIt) {
  Start({{u"07:00", u"不循环", u"first"}, {u"08:30 (已完成)", u"周135", u"会议"}});
  PressNew();
  CheckDays({2, 7});  // left from the dialog's earlier use: an edit clears them
  OpenEdit(1);
  EXPECT_EQ(dlg().ID, std::optional<std::size_t>(1));
  EXPECT_EQ(TextOf(dlg().hwnd()), L"新任务");
  EXPECT_EQ(TextOf(C(Dlg::kCreateId)), L"创建");
  EXPECT_EQ(TextOf(C(Dlg::kHourId)), L"08");
  EXPECT_EQ(TextOf(C(Dlg::kMinuteId)), L"30");
  for (int d = 1; d <= 7; ++d) EXPECT_EQ(Checked(d), d == 1 || d == 3 || d == 5) << d;
  EXPECT_EQ(Tips(), L"会议");

  Press(Dlg::kCreateId);
  EXPECT_FALSE(dlg().IsAlive());
  const std::vector<Task> after{{u"07:00", u"不循环", u"first"}, {u"08:30", u"周135", u"会议"}};
  EXPECT_EQ(main_.items().All(), after);
  EXPECT_EQ(ReadFileBytes(cfg()), DataFileBytes(after));
  EXPECT_FALSE(dlg().ID);
}

TEST_F(TaskEditingTest, CancelAfterAnEditSavesNothingAndTheNextOpenIsEmpty) {
  const std::vector<Task> tasks{{u"08:30", u"周135", u"keep"}};
  Start(tasks);
  const std::string before = ReadFileBytes(cfg());
  OpenEdit(0);
  Pick(1, 1);
  CheckDays({2});
  Type(u"changed");
  Press(Dlg::kCancelId);
  EXPECT_FALSE(dlg().IsAlive());
  EXPECT_FALSE(dlg().ID);
  EXPECT_EQ(main_.items().All(), tasks);
  EXPECT_EQ(ReadFileBytes(cfg()), before);

  PressNew();
  EXPECT_FALSE(dlg().ID);
  EXPECT_EQ(TextOf(C(Dlg::kHourId)), L"");
  EXPECT_FALSE(Checked(1));
  EXPECT_EQ(Tips(), L"");
  SendMessageW(dlg().hwnd(), WM_CLOSE, 0, 0);  // the window's close button unloads too
  EXPECT_FALSE(dlg().IsAlive());
}

TEST_F(TaskEditingTest, EditOfAHandEditedRowLeavesItsBadPartsEmpty) {
  Start({{u"8:3x", u"周1a9", u"hand"}, {u"24:00", u"每天", u"x"}, {u"0830", u"周", u""}});
  const struct {
    std::size_t at;
    const wchar_t *hour, *minute;
    int checkedDay;
  } cases[] = {{0, L"", L"", 1}, {1, L"", L"00", 0}, {2, L"", L"", 0}};
  for (const auto& c : cases) {
    OpenEdit(c.at);
    ASSERT_TRUE(IsWindowVisible(dlg().hwnd()));
    EXPECT_EQ(TextOf(C(Dlg::kHourId)), c.hour) << c.at;
    EXPECT_EQ(TextOf(C(Dlg::kMinuteId)), c.minute) << c.at;
    for (int d = 1; d <= 7; ++d) EXPECT_EQ(Checked(d), d == c.checkedDay) << c.at << " " << d;
    Press(Dlg::kCreateId);  // nothing: the time is incomplete
    EXPECT_TRUE(dlg().IsAlive());
  }
}

TEST_F(TaskEditingTest, AnOpenEditFollowsItsTaskWhenARowAboveIsDeleted) {
  const Task a{u"07:00", u"不循环", u"a"}, b{u"08:00", u"不循环", u"b"}, c{u"09:00", u"不循环", u"c"};
  Start({a, b, c});
  OpenEdit(2);
  main_.program().mnuItems.actID = 0;
  main_.program().mnuItems.DeleteClick();
  EXPECT_EQ(dlg().ID, std::optional<std::size_t>(1));
  SetWindowTextW(C(Dlg::kTipsId), L"c2");
  Press(Dlg::kCreateId);
  EXPECT_EQ(main_.items().All(), (std::vector<Task>{b, {u"09:00", u"不循环", u"c2"}}));

  // Deleting the task being edited closes its dialog instead of saving over another task.
  OpenEdit(0);
  main_.program().mnuItems.actID = 0;
  main_.program().mnuItems.DeleteClick();
  EXPECT_FALSE(dlg().IsAlive());
  EXPECT_EQ(main_.items().All(), (std::vector<Task>{{u"09:00", u"不循环", u"c2"}}));
}

// The real pop-up menu: a right-button release opens it, the keyboard picks "删除".
TEST_F(TaskEditingTest, RightReleaseOpensTheItemMenuAndDeletePicksFromIt) {
  Start({{u"07:00", u"不循环", u"a"}, {u"08:00", u"不循环", u"b"}});
  static std::vector<std::wstring> entries;
  entries.clear();
  SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) CALLBACK {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (!menu) return;
    KillTimer(nullptr, id);
    HMENU items = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(items); ++i) {
      wchar_t text[16] = {};
      GetMenuStringW(items, static_cast<UINT>(i), text, 16, MF_BYPOSITION);
      entries.push_back(text);
    }
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
      PostMessageW(menu, WM_KEYDOWN, key, 0);
      PostMessageW(menu, WM_KEYUP, key, 0xC0000000);
    }
  });
  SendMessageW(main_->Row(0)->hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(120, 25));
  EXPECT_EQ(entries, (std::vector<std::wstring>{L"编辑", L"删除"}));
  EXPECT_EQ(main_.program().mnuItems.actID, std::optional<std::size_t>(0));
  EXPECT_EQ(main_.items().All(), (std::vector<Task>{{u"08:00", u"不循环", u"b"}}));

  // Left and middle releases open nothing (a menu would block this call).
  SendMessageW(main_->Row(0)->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(120, 25));
  SendMessageW(main_->Row(0)->hwnd(), WM_MBUTTONUP, 0, MAKELPARAM(120, 25));
  EXPECT_FALSE(dlg().IsAlive());
  EXPECT_EQ(main_.items().size(), 1u);
}

}  // namespace
}  // namespace tavik
