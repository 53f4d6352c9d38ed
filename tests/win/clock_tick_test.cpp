// The clock's tick through the real panel and main window: the labels, the due check and
// what it hands to the popup, with the clock set by the test; when the clock wakes, shown,
// hidden and after what may have moved the wall clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/messages.h"
#include "editing/new_task_dialog.h"
#include "schedule/reminder_popup.h"
#include "widget/tray.h"
#include "tests/win/clock_util.h"

namespace tavik {
namespace {

using test::At;
using test::DataFileBytes;

// 2026-12-09 is a Wednesday.
const SYSTEMTIME kWed0830 = At(2026, 12, 9, 8, 30, 0);

class ClockTick : public ::testing::Test, public test::ClockFixture {
 protected:
  void TearDown() override { Stop(); }
  // The time text the row of the task at place `at` shows.
  std::u16string TimeOf(std::size_t at) const { return main->Row(at)->SetTime(); }
  bool PopupOpen() { return main.program().frmRem.IsAlive(); }
};

TEST_F(ClockTick, LabelsShowTheTimeBeforeTheFirstTickAndFollowIt) {
  StartAt(At(2026, 12, 9, 8, 5, 7));
  ClockPanel& ui = *main->UI();
  EXPECT_EQ(ui.TimeNow(), u"08:05");
  EXPECT_EQ(ui.SecondText(), u":07");
  EXPECT_EQ(ui.DateText(), u"星期三 12/09");
  EXPECT_EQ(ui.Caption(), u"Tavik Beta 0.5.1");
  const RECT time = ui.LabelRect(ClockPanel::Label::Time);
  const RECT second = ui.LabelRect(ClockPanel::Label::Second);
  const RECT date = ui.LabelRect(ClockPanel::Label::Date);
  EXPECT_EQ(time.left, 16);
  EXPECT_EQ(time.top, 32);
  EXPECT_EQ(second.left, time.right + 8);
  EXPECT_EQ(second.top, 48);
  EXPECT_EQ(date.left, 16);
  EXPECT_EQ(date.top, 64);

  TickAt(At(2027, 1, 2, 23, 59, 58));  // a Saturday
  EXPECT_EQ(ui.TimeNow(), u"23:59");
  EXPECT_EQ(ui.SecondText(), u":58");
  EXPECT_EQ(ui.DateText(), u"星期六 01/02");
}

// A moment with milliseconds.
SYSTEMTIME AtMs(int hour, int minute, int second, int ms) {
  SYSTEMTIME t = At(2026, 12, 9, hour, minute, second);
  t.wMilliseconds = static_cast<WORD>(ms);
  return t;
}

TEST_F(ClockTick, TheTimerRunsFromTheFirstShowAlsoWhileHidden) {
  StartAt(At(2026, 12, 9, 8, 5, 7), {}, /*keepTimer=*/true);
  seams.now = At(2026, 12, 9, 9, 10, 0);
  EXPECT_TRUE(test::PumpUntil([&] { return main->UI()->TimeNow() == u"09:10"; }, 2000));
  seams.now = AtMs(9, 10, 59, 900);
  SendMessageW(main->hwnd(), kTrayMessage, 0, WM_LBUTTONUP);  // the tray hides it
  ASSERT_FALSE(IsWindowVisible(main->hwnd()));
  seams.now = At(2026, 12, 9, 9, 11, 0);  // the next minute begins
  EXPECT_TRUE(test::PumpUntil([&] { return main->UI()->TimeNow() == u"09:11"; }, 2000));
}

// What the user sees changes once a second while the window is shown, and the due check needs
// only each minute's start: the clock wakes for those and nothing else. Shown again from the
// tray, the window shows the present time at once.
TEST_F(ClockTick, TheClockWakesEachSecondShownAndEachMinuteHidden) {
  StartAt(AtMs(8, 5, 30, 0), {}, /*keepTimer=*/true);
  int ticks = 0;
  main->UI()->RealTime = [&] {
    ++ticks;
    main->RealTime();
  };
  const auto ticksOver = [&](DWORD ms) {
    const int before = ticks;
    test::PumpUntil([] { return false; }, ms);
    return ticks - before;
  };
  // The clock reads :30.000 each time: each wake is 1002 ms after the last one.
  const int shown = ticksOver(2600);
  EXPECT_GE(shown, 2);
  EXPECT_LE(shown, 3);

  SendMessageW(main->hwnd(), kTrayMessage, 0, WM_LBUTTONUP);  // hidden: the next wake at 08:06:00
  ASSERT_FALSE(IsWindowVisible(main->hwnd()));
  EXPECT_EQ(ticksOver(2600), 0);

  seams.now = AtMs(8, 5, 44, 0);
  ticks = 0;
  SendMessageW(main->hwnd(), kTrayMessage, 0, WM_LBUTTONUP);  // shown again
  ASSERT_TRUE(IsWindowVisible(main->hwnd()));
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(main->UI()->SecondText(), u":44");  // before the window is painted
}

// However many tasks a minute has, all ring in it, also in the tray: after one fires, the next
// wake comes at once while another is due, not a minute later.
TEST_F(ClockTick, EveryTaskOfAMinuteRingsInItWhileHidden) {
  StartAt(AtMs(8, 29, 59, 990),
          DataFileBytes({{u"08:30", u"不循环", u"first"}, {u"08:30", u"周3", u"second"}, {u"08:30", u"周1234567", u"third"}}),
          /*keepTimer=*/true);
  SendMessageW(main->hwnd(), kTrayMessage, 0, WM_LBUTTONUP);
  ASSERT_FALSE(IsWindowVisible(main->hwnd()));
  int ticks = 0;
  main->UI()->RealTime = [&] {
    ++ticks;
    main->RealTime();
  };
  // The clock now reads 08:30:00.000 at every wake: hidden, its next regular wake is a minute
  // away, so the three rings within two seconds come from three wakes, one per task.
  seams.now = AtMs(8, 30, 0, 0);
  ASSERT_TRUE(test::PumpUntil([&] { return TimeOf(2) == u"08:30 (已完成)"; }, 2000));
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(TimeOf(0), u"08:30 (已完成)");
  EXPECT_EQ(TimeOf(1), u"08:30 (已完成)");
  EXPECT_EQ(main.program().frmRem.InfoText(), u"08:30  first\r\n08:30  second\r\n08:30  third");
}

// A resume from sleep, a change of the clock or the time zone and an unlock of the session are
// seen at once, also in the tray where the next wake may be a minute away; other notices wake
// nothing.
TEST_F(ClockTick, AResumeAClockChangeOrAnUnlockIsSeenAtOnce) {
  StartAt(At(2026, 12, 9, 8, 0, 0), DataFileBytes({{u"07:00 (已完成)", u"周1234567", u"daily"}}), /*keepTimer=*/true,
          At(2026, 12, 9, 7, 0, 5));  // it rang today
  SendMessageW(main->hwnd(), kTrayMessage, 0, WM_LBUTTONUP);
  ASSERT_FALSE(IsWindowVisible(main->hwnd()));
  struct Case {
    const char* name;
    UINT msg;
    WPARAM wp;
    const wchar_t* text;
    bool seen;
  };
  const Case cases[] = {
      {"resume", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, nullptr, true},
      {"resume by the user", WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, nullptr, true},
      {"suspend", WM_POWERBROADCAST, PBT_APMSUSPEND, nullptr, false},
      {"clock set", WM_TIMECHANGE, 0, nullptr, true},
      {"time zone", WM_SETTINGCHANGE, 0, L"intl", true},
      {"another setting", WM_SETTINGCHANGE, 0, L"Environment", false},
      {"a setting without a name", WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, nullptr, false},
      {"unlock", WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, nullptr, true},
      {"lock", WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, nullptr, false},
  };
  int minute = 0;
  for (const Case& c : cases) {
    const std::u16string before(main->UI()->TimeNow());
    seams.now = At(2026, 12, 9, 9, ++minute, 0);
    SendMessageW(main->hwnd(), c.msg, c.wp, reinterpret_cast<LPARAM>(c.text));
    EXPECT_EQ(main->UI()->TimeNow() != before, c.seen) << c.name;
  }
  EXPECT_EQ(TimeOf(0), u"07:00 (已完成)");
  // Asleep over midnight: the resume arms the daily task for the new day right away.
  seams.now = At(2026, 12, 10, 6, 30, 0);
  SendMessageW(main->hwnd(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
  EXPECT_EQ(TimeOf(0), u"07:00");
}

// On screen a changed label is copied there at once, and only that label: no paint cycle, and
// what else the panel shows is not touched. Hidden, the label waits for the next paint.
TEST_F(ClockTick, OnlyALabelWhoseTextChangedIsRepainted) {
  StartAt(At(2026, 12, 9, 8, 5, 7), DataFileBytes({{u"08:30", u"不循环", u"a"}, {u"09:00", u"周7", u"b"}}));
  ClockPanel& ui = *main->UI();
  const HWND panel = ui.hwnd();
  UpdateWindow(panel);
  constexpr COLORREF kMarker = RGB(0, 255, 0);
  const auto mark = [&] {  // paints over the panel on screen, not in its surface
    RECT client;
    GetClientRect(panel, &client);
    HDC dc = GetDC(panel);
    FillSolid(dc, client, kMarker);
    ReleaseDC(panel, dc);
  };
  const auto drawn = [&](ClockPanel::Label label) {  // the label's middle shows it again
    const RECT r = ui.LabelRect(label);
    HDC dc = GetDC(panel);
    const COLORREF c = GetPixel(dc, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ReleaseDC(panel, dc);
    return c != kMarker;
  };
  const auto invalid = [&] {
    RECT r{};
    GetUpdateRect(panel, &r, FALSE);
    return !IsRectEmpty(&r);
  };
  struct Step {
    SYSTEMTIME at;
    bool time, second, date;
  };
  const Step steps[] = {
      {At(2026, 12, 9, 8, 5, 7), false, false, false},
      {At(2026, 12, 9, 8, 5, 8), false, true, false},
      {At(2026, 12, 9, 8, 6, 8), true, false, false},
      {At(2026, 12, 10, 8, 6, 9), false, true, true},
  };
  for (const Step& step : steps) {
    mark();
    TickAt(step.at);
    EXPECT_EQ(drawn(ClockPanel::Label::Time), step.time) << step.at.wMinute << ":" << step.at.wSecond;
    EXPECT_EQ(drawn(ClockPanel::Label::Second), step.second) << step.at.wMinute << ":" << step.at.wSecond;
    EXPECT_EQ(drawn(ClockPanel::Label::Date), step.date) << step.at.wMinute << ":" << step.at.wSecond;
    EXPECT_FALSE(invalid());
  }

  // Hidden, the label changes in the surface only; shown again, the window shows it.
  mark();
  ShowWindow(main->hwnd(), SW_HIDE);
  TickAt(At(2026, 12, 10, 8, 6, 10));
  ShowWindow(main->hwnd(), SW_SHOW);
  UpdateWindow(main->hwnd());
  const RECT second = ui.LabelRect(ClockPanel::Label::Second);
  HDC dc = GetDC(panel);
  int differ = 0;
  for (int y = second.top; y < second.bottom; ++y)
    for (int x = second.left; x < second.right; ++x) differ += GetPixel(dc, x, y) != GetPixel(ui.SurfaceDC(), x, y);
  ReleaseDC(panel, dc);
  EXPECT_EQ(ui.SecondText(), u":10");
  EXPECT_EQ(differ, 0);
  EXPECT_TRUE(drawn(ClockPanel::Label::Second));
}

TEST_F(ClockTick, AQuietTickAllocatesNothing) {
  StartAt(At(2026, 12, 9, 8, 5, 0),
          DataFileBytes({{u"08:30 (已完成)", u"周135", u"一段比较长的提醒内容，放在堆上"}, {u"09:00", u"不循环", u"b"}}));
  TickAt(At(2026, 12, 9, 8, 5, 1));  // the check's buffers take their size once
  const long before = test::Allocations();
  for (int s = 2; s < 12; ++s) TickAt(At(2026, 12, 9, 8, 5, s));
  EXPECT_EQ(test::Allocations() - before, 0);
  EXPECT_EQ(main->UI()->SecondText(), u":11");
}

// In the minute before a task may fire the popup gets ready, once; in other minutes, and on a
// weekday the task leaves out, it does not.
TEST_F(ClockTick, ThePopupGetsReadyInTheMinuteBeforeATask) {
  StartAt(At(2026, 12, 9, 8, 28, 50), DataFileBytes({{u"08:30", u"周3", u"喝水"}}));
  int ready = 0;
  const auto prepare = main->onDueSoon;
  ASSERT_TRUE(prepare);  // the program's wiring: the popup's Prepare
  main->onDueSoon = [&ready, prepare] {
    ++ready;
    prepare();
  };
  struct Step {
    SYSTEMTIME at;
    int ready;
  };
  const Step steps[] = {
      {At(2026, 12, 9, 8, 28, 55), 0}, {At(2026, 12, 9, 8, 29, 0), 1},  {At(2026, 12, 9, 8, 29, 40), 1},
      {At(2026, 12, 9, 8, 30, 0), 1},  {At(2026, 12, 10, 8, 29, 0), 1},  // Thursday: not its day
  };
  for (const Step& step : steps) {
    TickAt(step.at);
    EXPECT_EQ(ready, step.ready) << step.at.wDay << " " << step.at.wHour << ":" << step.at.wMinute << ":"
                                 << step.at.wSecond;
  }
  EXPECT_TRUE(PopupOpen());  // and the task rang at 08:30
}

// A task added or changed for the next minute gets the popup ready at the next wake, though
// that minute's look ahead was taken already.
TEST_F(ClockTick, ATaskMadeInTheMinuteBeforeGetsThePopupReady) {
  for (const bool edit : {false, true}) {
    StartAt(At(2026, 12, 9, 8, 29, 0), DataFileBytes({{u"12:00", u"不循环", u"later"}}));
    int ready = 0;
    const auto prepare = main->onDueSoon;
    main->onDueSoon = [&ready, prepare] {
      ++ready;
      prepare();
    };
    TickAt(At(2026, 12, 9, 8, 29, 10));
    ASSERT_EQ(ready, 0) << edit;
    if (edit)
      main.items().EditItem(0, u"08:30", u"不循环", u"now");
    else
      main.items().AddItem(u"08:30", u"周3", u"now");
    TickAt(At(2026, 12, 9, 8, 29, 11));
    EXPECT_EQ(ready, 1) << edit;
    TickAt(At(2026, 12, 9, 8, 29, 12));
    EXPECT_EQ(ready, 1) << edit;  // once
    Stop();
  }
}

// Whatever runs while a reminder is handed over (here a delete, before the popup has read the
// texts): the done mark stays with the task that rang, never moves to the task that takes its
// row, and the popup shows the task that rang.
TEST_F(ClockTick, ATaskDeletedWhileItsReminderSlidesInLeavesTheOthersArmed) {
  const Task later{u"09:00", u"不循环", u"later"};
  for (const size_t deleted : {0, 1}) {
    SCOPED_TRACE(deleted == 0 ? "the task that rang deleted" : "the task below it deleted");
    StartAt(At(2026, 12, 9, 8, 29, 59), DataFileBytes({{u"08:30", u"不循环", u"now"}, later}));
    const auto remind = main->onDue;
    main->onDue = [&, remind](const std::u16string& time, const std::u16string& info) {
      main.program().mnuItems.actID = deleted;
      main.program().mnuItems.DeleteClick();
      remind(time, info);
    };
    TickAt(kWed0830);
    ASSERT_TRUE(PopupOpen());
    EXPECT_EQ(main.program().frmRem.InfoText(), u"now");
    const std::vector<Task> left = deleted == 0 ? std::vector<Task>{later}
                                                : std::vector<Task>{{u"08:30 (已完成)", u"不循环", u"now"}};
    EXPECT_EQ(main.items().All(), left);
    ASSERT_EQ(main->RowCount(), 1u);
    EXPECT_EQ(main->Row(0)->task(), left[0]);
    EXPECT_EQ(test::ReadFileBytes(cfg()), DataFileBytes(left));
    Stop();
  }
}

TEST_F(ClockTick, TwoTasksInOneMinuteFireOnConsecutiveTicksEarlierFirst) {
  const std::string file = DataFileBytes({{u"08:30", u"不循环", u"first"}, {u"08:30", u"周135", u"second"}, {u"08:30", u"周67", u"third"}});
  StartAt(At(2026, 12, 9, 8, 29, 59), file);
  Tick();
  EXPECT_FALSE(PopupOpen());

  TickAt(kWed0830);
  EXPECT_EQ(TimeOf(0), u"08:30 (已完成)");
  EXPECT_EQ(TimeOf(1), u"08:30");
  ASSERT_TRUE(PopupOpen());
  EXPECT_EQ(main.program().frmRem.TimeText(), u"08:30");
  EXPECT_EQ(main.program().frmRem.InfoText(), u"first");
  const HWND popup = main.program().frmRem.hwnd();

  TickAt(At(2026, 12, 9, 8, 30, 0));
  EXPECT_EQ(TimeOf(1), u"08:30 (已完成)");
  EXPECT_EQ(main.program().frmRem.hwnd(), popup);  // the same popup: both are readable in it
  EXPECT_EQ(main.program().frmRem.TimeText(), u"08:30");
  EXPECT_EQ(main.program().frmRem.InfoText(), u"08:30  first\r\n08:30  second");

  for (int s = 1; s < 60; s += 7) TickAt(At(2026, 12, 9, 8, 30, s));
  EXPECT_EQ(TimeOf(2), u"08:30");  // Wednesday is not in 周67
  EXPECT_EQ(main.program().frmRem.InfoText(), u"08:30  first\r\n08:30  second");
  EXPECT_TRUE(test::PumpUntil([&] { return main.program().frmRem.ringing(); }, 3000));
  EXPECT_EQ(seams.Starts(), 1);  // one slide, one sound
  // Each mark was saved as it was set, so a restart keeps it.
  EXPECT_EQ(test::ReadFileBytes(cfg()), DataFileBytes({{u"08:30 (已完成)", u"不循环", u"first"},
                                                  {u"08:30 (已完成)", u"周135", u"second"},
                                                  {u"08:30", u"周67", u"third"}}));
}

// The user is away from the desk: the 08:30 reminder still rings at 09:00. Both stay readable,
// the label shows the newest time, and the popup neither slides again nor restarts its sound.
TEST_F(ClockTick, ATaskDueWhileThePopupRingsIsAddedBelow) {
  StartAt(At(2026, 12, 9, 8, 29, 59), DataFileBytes({{u"08:30", u"不循环", u"喝水"}, {u"09:00", u"周3", u"开例会"}}));
  TickAt(kWed0830);
  ReminderPopup& popup = main.program().frmRem;
  ASSERT_TRUE(test::PumpUntil([&] { return popup.ringing(); }, 3000));
  const RECT place = popup.Bounds();
  TickAt(At(2026, 12, 9, 9, 0, 0));
  test::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(popup.TimeText(), u"09:00");
  EXPECT_EQ(popup.InfoText(), u"08:30  喝水\r\n09:00  开例会");
  const RECT now = popup.Bounds();
  EXPECT_TRUE(EqualRect(&now, &place));
  EXPECT_EQ(seams.Starts(), 1);
  EXPECT_EQ(seams.Stops(), 0);

  // Closed: the list goes with it, and the next reminder opens a fresh popup.
  SendMessageW(popup.closeButton(), BM_CLICK, 0, 0);
  main.items().EditItem(1, u"09:05", u"周3", u"再一次");
  TickAt(At(2026, 12, 9, 9, 5, 0));
  EXPECT_EQ(popup.InfoText(), u"再一次");
  EXPECT_EQ(popup.TimeText(), u"09:05");
}

// Typing in another window across the minute a task rings: the popup comes on top, but the
// keys stay with that window (Space, Enter and Esc included), and the popup is still there.
// The same when the window typed in is one of the program's own (the new-task dialog).
TEST_F(ClockTick, KeysTypedElsewhereNeverReachThePopup) {
  for (const bool ownDialog : {false, true}) {
    StartAt(At(2026, 12, 9, 8, 29, 58), DataFileBytes({{u"08:30", u"周3", u"交周报"}}));
    seams.sounds.clear();
    HWND other = nullptr, typing = nullptr;
    if (ownDialog) {
      main.program().frmNew.Show();
      other = main.program().frmNew.hwnd();
      typing = GetDlgItem(other, NewTaskDialog::kTipsId);
    } else {
      other = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_MULTILINE, 100, 100, 300, 200,
                              nullptr, nullptr, nullptr, nullptr);
      typing = other;
    }
    ASSERT_TRUE(typing);
    SetForegroundWindow(other);
    SetFocus(typing);
    ASSERT_EQ(GetFocus(), typing);
    auto type = [](WORD vk) {
      INPUT in[2] = {};
      in[0].type = in[1].type = INPUT_KEYBOARD;
      in[0].ki.wVk = in[1].ki.wVk = vk;
      in[1].ki.dwFlags = KEYEVENTF_KEYUP;
      SendInput(2, in, sizeof(INPUT));
      test::PumpUntil([] { return false; }, 30);
    };
    type('A');
    TickAt(kWed0830);
    ReminderPopup& popup = main.program().frmRem;
    ASSERT_TRUE(popup.IsAlive()) << ownDialog;
    // (Enter and Esc would act on the dialog itself.)
    const std::vector<WORD> keys = ownDialog ? std::vector<WORD>{VK_SPACE, 'B'}
                                             : std::vector<WORD>{VK_SPACE, VK_RETURN, 'B', VK_ESCAPE};
    for (const WORD vk : keys) {
      type(vk);
      EXPECT_TRUE(popup.IsAlive()) << ownDialog << " " << vk;
    }
    EXPECT_TRUE(test::PumpUntil([&] { return popup.ringing(); }, 3000)) << ownDialog;
    type(VK_SPACE);
    EXPECT_TRUE(popup.IsAlive()) << ownDialog;
    EXPECT_TRUE(popup.ringing()) << ownDialog;
    EXPECT_EQ(GetForegroundWindow(), other) << ownDialog;
    EXPECT_EQ(GetFocus(), typing) << ownDialog;
    EXPECT_TRUE(GetWindowLongW(popup.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(IsWindowVisible(popup.hwnd()));
    EXPECT_EQ(seams.Stops(), 0) << ownDialog;
    if (!ownDialog) {
      EXPECT_EQ(WindowText(other), u"a \r\nb ") << "every key reached the window typed in";
      DestroyWindow(other);
    }
    Stop();
  }
}

TEST_F(ClockTick, AWeekdayTaskFiresOnItsDaysOnly) {
  StartAt(kWed0830, DataFileBytes({{u"09:00", u"周6", u"sat"}, {u"09:00", u"周1234567", u"daily"}}));
  for (int day = 7; day <= 13; ++day) {  // Monday 2026-12-07 .. Sunday 2026-12-13
    main.items().EditItem(0, u"09:00", u"周6", u"sat");
    main.items().EditItem(1, u"09:00", u"周1234567", u"daily");
    TickAt(At(2026, 12, day, 9, 0, 0));
    TickAt(At(2026, 12, day, 9, 0, 1));
    TickAt(At(2026, 12, day, 9, 0, 2));
    EXPECT_EQ(TimeOf(0) == u"09:00 (已完成)", day == 12) << day;
    EXPECT_EQ(TimeOf(1), u"09:00 (已完成)") << day;
    main.program().frmRem.Unload();
  }
}

TEST_F(ClockTick, RowsThatCanNeverBeDueStayQuiet) {
  struct Case {
    const char16_t* time;
    const char16_t* cycle;
  };
  const Case cases[] = {
      {u"8:30", u"不循环"},    {u"08:3", u"不循环"},  {u" 08:30", u"不循环"}, {u"08-30", u"不循环"},
      {u"08:30 ", u"不循环"},  {u"", u"不循环"},      {u"08:30", u"周"},      {u"08:30", u"循环周期"},
      {u"08:30", u"周1245"},   {u"08:30", u""},        {u"08:30", u"不循环 "},
  };
  StartAt(At(2026, 12, 9, 8, 29, 0));
  // What the hidden template row shows is no task.
  main->TemplateRow()->SetTime(u"08:30");
  main->TemplateRow()->SetCycle(u"不循环");
  for (int i = 0; i < kMaxTasks; ++i) main.items().AddItem(u"", u"", u"x");
  const size_t count = std::size(cases);
  for (size_t first = 0; first < count; first += kMaxTasks) {
    for (size_t i = 0; i < static_cast<size_t>(kMaxTasks); ++i) {
      const Case& c = cases[std::min(first + i, count - 1)];
      main.items().EditItem(i, c.time, c.cycle, u"x");
    }
    for (int s = 0; s < 3; ++s) TickAt(At(2026, 12, 9, 8, 30, s));
    EXPECT_FALSE(PopupOpen()) << first;
  }
}

TEST_F(ClockTick, MidnightRearmsRepeatingTasksAndAMidnightTaskFiresOnce) {
  StartAt(At(2026, 12, 9, 23, 59, 59),
          DataFileBytes({{u"07:00 (已完成)", u"周1234567", u"daily"},
                    {u"07:00 (已完成)", u"不循环", u"once"},
                    {u"00:00", u"周1234567", u"midnight"}}));
  TickAt(At(2026, 12, 10, 0, 0, 0));  // Thursday
  EXPECT_EQ(TimeOf(0), u"07:00");
  EXPECT_EQ(TimeOf(1), u"07:00 (已完成)");
  EXPECT_EQ(TimeOf(2), u"00:00 (已完成)");
  ASSERT_TRUE(PopupOpen());
  EXPECT_EQ(main.program().frmRem.InfoText(), u"midnight");

  for (int s = 0; s < 60; s += 3) TickAt(At(2026, 12, 10, 0, 0, s));
  EXPECT_EQ(main.program().frmRem.reminders().size(), 1u);  // a second firing would be listed
  EXPECT_EQ(TimeOf(2), u"00:00 (已完成)");

  TickAt(At(2026, 12, 10, 0, 1, 0));
  main.program().frmRem.Unload();
  TickAt(At(2026, 12, 11, 0, 0, 0));  // the next midnight arms and fires it again
  EXPECT_EQ(TimeOf(2), u"00:00 (已完成)");
  ASSERT_TRUE(PopupOpen());
  EXPECT_EQ(main.program().frmRem.InfoText(), u"midnight");
}

// The marks across restarts, sleep and clock changes: what the user saw ring does not ring
// again, and what is due rings, whatever happened to the program or the machine overnight.
class NeverMiss : public ClockTick {
 protected:
  void Restart(const SYSTEMTIME& moment) {
    Stop();
    StartAt(moment);
  }
  // Closes the popup, then ticks through the given minute; true when it rang again.
  bool RingsAt(const SYSTEMTIME& minute) {
    main.program().frmRem.Unload();
    for (WORD s = 0; s < 60; s += 15) {
      SYSTEMTIME t = minute;
      t.wSecond = s;
      TickAt(t);
    }
    return PopupOpen();
  }
};

TEST_F(NeverMiss, AOneOffRingsOnceAcrossRestartsThatDayAndTheNext) {
  StartAt(At(2026, 12, 9, 13, 9, 50), DataFileBytes({{u"13:10", u"不循环", u"once"}}));
  EXPECT_TRUE(RingsAt(At(2026, 12, 9, 13, 10)));
  EXPECT_EQ(test::ReadFileBytes(cfg()), DataFileBytes({{u"13:10 (已完成)", u"不循环", u"once"}}));

  Restart(At(2026, 12, 9, 13, 10, 40));  // within the minute it rang
  EXPECT_FALSE(RingsAt(At(2026, 12, 9, 13, 10)));
  Restart(At(2026, 12, 9, 15, 0));       // later that day
  EXPECT_FALSE(RingsAt(At(2026, 12, 9, 15, 1)));
  Restart(At(2026, 12, 10, 9, 0));       // the next day, before its time
  EXPECT_FALSE(RingsAt(At(2026, 12, 10, 13, 10)));
  EXPECT_EQ(TimeOf(0), u"13:10 (已完成)");
}

TEST_F(NeverMiss, ADailyTaskSavedWithItsMarkYesterdayRingsToday) {
  StartAt(At(2026, 12, 10, 8, 0), DataFileBytes({{u"08:30 (已完成)", u"周1234567", u"daily"}}));
  EXPECT_EQ(TimeOf(0), u"08:30");  // armed by the start, and saved so
  EXPECT_EQ(test::ReadFileBytes(cfg()), DataFileBytes({{u"08:30", u"周1234567", u"daily"}}));
  EXPECT_TRUE(RingsAt(At(2026, 12, 10, 8, 30)));
  Restart(At(2026, 12, 10, 8, 30, 45));  // started again within its minute: rang already
  EXPECT_FALSE(RingsAt(At(2026, 12, 10, 8, 30)));
}

// A daily 07:00 task stored done: whether it rings today follows from when the file was last
// written, not from the minute the program happens to read it in.
TEST_F(NeverMiss, AStoredMarkCountsForTodayOnlyWhenTheFileWasWrittenTodayInOrAfterItsMinute) {
  struct Story {
    const char* name;
    SYSTEMTIME written, start;
    bool rings;  // at 07:00 that day (or right away, when started inside the minute)
  } stories[] = {
      {"yesterday, started before", At(2026, 12, 8, 7, 0, 30), At(2026, 12, 9, 6, 59, 54), true},
      {"yesterday, a slow start inside the minute", At(2026, 12, 8, 7, 0, 30), At(2026, 12, 9, 7, 0, 1), true},
      {"today before the minute", At(2026, 12, 9, 6, 59, 58), At(2026, 12, 9, 7, 0, 1), true},
      {"today inside the minute, started again in it", At(2026, 12, 9, 7, 0, 1), At(2026, 12, 9, 7, 0, 40), false},
      {"today inside the minute, clock set back", At(2026, 12, 9, 7, 0, 1), At(2026, 12, 9, 6, 59, 50), false},
      {"tomorrow: the clock was set back a day", At(2026, 12, 10, 7, 0, 5), At(2026, 12, 9, 6, 59, 50), true},
  };
  for (const Story& s : stories) {
    StartAt(s.start, DataFileBytes({{u"07:00 (已完成)", u"周1234567", u"吃药"}}), false, s.written);
    EXPECT_EQ(TimeOf(0), s.rings ? u"07:00" : u"07:00 (已完成)") << s.name;
    EXPECT_EQ(RingsAt(At(2026, 12, 9, 7, 0)), s.rings) << s.name;
    if (s.rings) {
      EXPECT_EQ(main.program().frmRem.InfoText(), u"吃药") << s.name;
    }
    Stop();
  }
  // Started after the minute: armed, for tomorrow, unless it rang today.
  StartAt(At(2026, 12, 9, 9, 0), DataFileBytes({{u"07:00 (已完成)", u"周1234567", u"吃药"}}), false,
          At(2026, 12, 8, 7, 0, 30));
  EXPECT_EQ(TimeOf(0), u"07:00");
  Stop();
  StartAt(At(2026, 12, 9, 9, 0), DataFileBytes({{u"07:00 (已完成)", u"周1234567", u"吃药"}}), false,
          At(2026, 12, 9, 7, 0, 1));
  EXPECT_EQ(TimeOf(0), u"07:00 (已完成)");
}

TEST_F(NeverMiss, ASleepAcrossMidnightArmsTheNewDay) {
  StartAt(At(2026, 12, 9, 8, 29, 50), DataFileBytes({{u"08:30", u"周1234567", u"daily"}}));
  EXPECT_TRUE(RingsAt(At(2026, 12, 9, 8, 30)));
  TickAt(At(2026, 12, 9, 23, 50));  // asleep from here ...
  TickAt(At(2026, 12, 10, 8, 0));   // ... to the next morning: no "00:00" tick in between
  EXPECT_EQ(TimeOf(0), u"08:30");
  EXPECT_EQ(test::ReadFileBytes(cfg()), DataFileBytes({{u"08:30", u"周1234567", u"daily"}}));
  EXPECT_TRUE(RingsAt(At(2026, 12, 10, 8, 30)));
}

TEST_F(NeverMiss, AClockSetForwardOverMidnightArmsTheNewDay) {
  StartAt(At(2026, 12, 9, 8, 29, 50), DataFileBytes({{u"08:30", u"周1234567", u"daily"}, {u"09:00", u"不循环", u"once"}}));
  EXPECT_TRUE(RingsAt(At(2026, 12, 9, 8, 30)));
  EXPECT_TRUE(RingsAt(At(2026, 12, 9, 9, 0)));
  EXPECT_TRUE(RingsAt(At(2026, 12, 11, 8, 30)));  // set to Friday by hand
  EXPECT_FALSE(RingsAt(At(2026, 12, 11, 9, 0)));  // the one-off stays done
}

}  // namespace
}  // namespace tavik
