#include "core/due_check.h"

#include "core/task_list.h"

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavik {
namespace {

const std::u16string kMark = kDoneMark;

// A day of December 2026 at hh:mm: the 7th is a Monday.
ClockTime Dec(int day, int hour = 0, int minute = 0) {
  return {2026, 12, day, (day - 7 + 7 * 10) % 7 + 1, hour, minute, 0};
}

std::u16string ClockTextOf(const ClockTime& t) { return std::u16string(MakeClockText(t).view()); }

// The places of the tasks fired over a run of ticks at one moment, as the popup would be filled.
std::vector<int> Ticks(std::vector<Task>& tasks, const ClockTime& at, int n, DueMemory& memory) {
  std::vector<int> fired;
  for (int i = 0; i < n; ++i) {
    const int at_ = DueCheck(tasks, ClockTextOf(at), at, memory).fired;
    if (at_ != kNoTaskDue) fired.push_back(at_);
  }
  return fired;
}

TEST(DueCheck, WhenATaskIsDue) {
  struct Row {
    std::u16string time, cycle, clock;
    int weekday;
    bool due;
  };
  const Row rows[] = {
      {u"08:30", u"不循环", u"08:30", 3, true},
      {u"08:30", u"不循环", u"08:30", 0, true},       // a one-off ignores the weekday
      {u"08:30", u"周135", u"08:30", 3, true},
      {u"08:30", u"周6", u"08:30", 6, true},          // Saturday only
      {u"08:30", u"周6", u"08:30", 5, false},
      {u"08:30", u"周6", u"08:30", 7, false},
      {u"08:30", u"周135", u"08:31", 3, false},
      {u"08:30" + kMark, u"不循环", u"08:30", 3, false},  // done
      {u"08:30", u"循环周期", u"08:30", 3, false},     // no digit, not "不循环"
      {u"08:30", u"不循环 ", u"08:30", 3, false},      // exact comparison
      {u"08:30", u"周135", u"08:30", 13, false},       // no such weekday: no repeat fires
      {u"8:30", u"不循环", u"8:30", 3, false},         // malformed times never fire,
      {u"08:60", u"不循环", u"08:60", 3, false},       // even against a clock that reads so
      {u"", u"不循环", u"", 3, false},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(IsDue(r.time, r.cycle, r.clock, r.weekday), r.due)
        << "row with weekday " << r.weekday << ", cycle length " << r.cycle.size();
  }
}

// The popup is made ready in the minute before a task may fire: across the hour and the
// midnight (the next weekday), for a repeating task still marked from today, never for a
// weekday the cycle leaves out.
TEST(DueCheck, DueNextMinute) {
  struct Case {
    Task task;
    ClockTime now;
    bool soon;
  };
  const Case cases[] = {
      {{u"08:30", u"不循环", u"a"}, Dec(9, 8, 29), true},
      {{u"08:30", u"不循环", u"a"}, Dec(9, 8, 30), false},  // its own minute: already firing
      {{u"08:30", u"不循环", u"a"}, Dec(9, 8, 28), false},
      {{u"09:00", u"周3", u"a"}, Dec(9, 8, 59), true},      // the 9th is a Wednesday
      {{u"09:00", u"周4", u"a"}, Dec(9, 8, 59), false},
      {{u"00:00", u"周4", u"a"}, Dec(9, 23, 59), true},     // the next minute is Thursday's
      {{u"00:00", u"周3", u"a"}, Dec(9, 23, 59), false},
      {{u"00:00" + kMark, u"周4", u"a"}, Dec(9, 23, 59), true},  // re-armed at midnight
      {{u"00:00", u"周1", u"a"}, Dec(13, 23, 59), true},   // Sunday to Monday
      {{u"12:00" + kMark, u"不循环", u"a"}, Dec(9, 11, 59), true},  // harmless: it stays silent
      {{u"7:05", u"不循环", u"a"}, Dec(9, 7, 4), false},   // not a time text
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    // Alone, and after a task that is not due: every task of the list is looked at.
    const std::vector<Task> lists[] = {{cases[i].task}, {{u"23:00", u"不循环", u"x"}, cases[i].task}};
    for (const std::vector<Task>& tasks : lists)
      EXPECT_EQ(DueNextMinute(tasks.data(), tasks.size(), cases[i].now), cases[i].soon) << "case " << i;
  }
  EXPECT_FALSE(DueNextMinute(nullptr, 0, Dec(9, 8, 29)));
}

TEST(DueCheck, RearmTouchesRepeatingTasksOnly) {
  struct Row {
    Task before;
    std::u16string after;
  };
  const Row rows[] = {
      {{u"07:00" + kMark, u"周12", u"a"}, u"07:00"},
      {{u"07:00" + kMark, u"不循环", u"a"}, u"07:00" + kMark},
      {{u"07:00" + kMark + kMark, u"周3", u"a"}, u"07:00"},  // every occurrence
      {{u"07:00 (已完成", u"周3", u"a"}, u"07:00 (已完成"},   // half a mark is no mark
      {{u"", u"周3", u"a"}, u""},
  };
  for (const Row& r : rows) {
    Task t = r.before;
    Rearm(t);
    EXPECT_EQ(t.time, r.after);
    EXPECT_EQ(t.cycle, r.before.cycle);
    EXPECT_EQ(t.info, r.before.info);
  }
}

TEST(DueCheck, SameMinuteFiresOneTaskPerTickEarlierFirst) {
  // Wednesday: the one-off fires, then 周135, and 周67 never does.
  std::vector<Task> rows({{u"08:30", u"不循环", u"one"},
                          {u"08:30", u"周135", u"two"},
                          {u"08:30", u"周67", u"three"}});
  DueMemory memory;
  const ClockTime wed = Dec(9, 8, 30);
  DueResult r = DueCheck(rows, u"08:30", wed, memory);
  EXPECT_EQ(r.fired, 0);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(rows[0].time, u"08:30" + kMark);
  EXPECT_EQ(rows[1].time, u"08:30");
  EXPECT_EQ(DueCheck(rows, u"08:30", wed, memory).fired, 1);
  EXPECT_EQ(rows[1].time, u"08:30" + kMark);
  EXPECT_EQ(Ticks(rows, wed, 240, memory), std::vector<int>{});
  EXPECT_EQ(rows[2].time, u"08:30");
  r = DueCheck(rows, u"08:31", Dec(9, 8, 31), memory);
  EXPECT_EQ(r.fired, kNoTaskDue);
  EXPECT_FALSE(r.changed);  // a quiet tick changes nothing: nothing to save

  // Next midnight: the repeating task is armed again, the one-off stays done.
  r = DueCheck(rows, u"00:00", Dec(10), memory);
  EXPECT_EQ(r.fired, kNoTaskDue);
  EXPECT_TRUE(r.changed);
  EXPECT_EQ(rows[0].time, u"08:30" + kMark);
  EXPECT_EQ(rows[1].time, u"08:30");
  EXPECT_EQ(rows[2].time, u"08:30");
}

// Each check that fires says whether another task waits in the same minute, so the next check
// comes at once instead of a minute later (in the tray): a minute's tasks all ring in it.
TEST(DueCheck, AFiringSaysWhetherAnotherTaskOfTheMinuteWaits) {
  struct Case {
    const char* name;
    std::vector<Task> tasks;
    std::vector<bool> moreAfterEach;  // one entry per check that fires, in order
  };
  const Case cases[] = {
      {"one task", {{u"08:30", u"不循环", u"a"}}, {false}},
      {"two", {{u"08:30", u"不循环", u"a"}, {u"08:30", u"周3", u"b"}}, {true, false}},
      {"five, one not today",
       {{u"08:30", u"不循环", u"a"}, {u"08:30", u"周67", u"x"}, {u"08:30", u"周3", u"b"},
        {u"08:30", u"周1234567", u"c"}, {u"08:30", u"不循环", u"d"}},
       {true, true, true, false}},
      {"another minute and a done one do not count",
       {{u"08:31", u"不循环", u"x"}, {u"08:30", u"不循环", u"a"}, {u"08:30" + kMark, u"周3", u"y"}},
       {false}},
      {"a malformed task between", {{u"08:30", u"不循环", u"a"}, {u"8:30", u"不循环", u"x"}, {u"08:30", u"周3", u"b"}},
       {true, false}},
  };
  for (const Case& c : cases) {
    std::vector<Task> rows = c.tasks;
    DueMemory memory;
    std::vector<bool> more;
    for (int i = 0; i < 10; ++i) {
      const DueResult r = DueCheck(rows, u"08:30", Dec(9, 8, 30), memory);
      if (r.fired == kNoTaskDue) {
        EXPECT_FALSE(r.moreDue) << c.name;
        continue;
      }
      more.push_back(r.moreDue);
    }
    EXPECT_EQ(more, c.moreAfterEach) << c.name;
  }
}

TEST(DueCheck, AnEmptyListOnlyTakesNoteOfTheDay) {
  std::vector<Task> none;
  DueMemory memory;
  for (int day = 7; day <= 9; ++day) {
    const DueResult r = DueCheck(none, u"00:00", Dec(day), memory);
    EXPECT_EQ(r.fired, kNoTaskDue);
    EXPECT_FALSE(r.changed);
  }
  // A task added later is armed for that day: it fires in its minute, once.
  none.push_back({u"00:00", u"周1234567", u"x"});
  EXPECT_EQ(Ticks(none, Dec(9), 8, memory), std::vector<int>{0});
}

TEST(DueCheck, MalformedTasksAreSkippedNotBlocking) {
  std::vector<Task> rows({{u"", u"", u""},
                    {u"08:30;不循环;x", u"不循环", u"x"},
                    {u"08:30", u"周", u"no days"},
                    {u"08:30", u"不循环", u"fires"}});
  DueMemory memory;
  EXPECT_EQ(DueCheck(rows, u"08:30", Dec(7, 8, 30), memory).fired, 3);
  EXPECT_EQ(Ticks(rows, Dec(7, 8, 30), 20, memory), std::vector<int>{});
  for (int i = 0; i < 4; ++i) EXPECT_EQ(DueCheck(rows, u"garbage", Dec(7, 8, 31), memory).fired, kNoTaskDue);
}

TEST(DueCheck, MidnightRepeatingTaskFiresOnceInItsMinute) {
  std::vector<Task> rows({{u"00:00", u"周1234567", u"midnight"},
                    {u"07:00" + kMark, u"周2", u"morning"},
                    {u"00:00" + kMark, u"不循环", u"old one-off"},
                    {u"00:00", u"周3", u"not today"}});
  DueMemory memory;
  EXPECT_EQ(Ticks(rows, Dec(7, 23, 59), 1, memory), std::vector<int>{});  // Monday evening
  // Tuesday 00:00, a whole minute of ticks.
  EXPECT_EQ(Ticks(rows, Dec(8), 240, memory), std::vector<int>{0});
  EXPECT_EQ(rows[0].time, u"00:00" + kMark);
  EXPECT_EQ(rows[1].time, u"07:00");  // re-armed by the first tick of the new day and stays so
  EXPECT_EQ(rows[2].time, u"00:00" + kMark);
  EXPECT_EQ(rows[3].time, u"00:00");

  // The rest of the day: 07:00 fires once, midnight does not again.
  EXPECT_EQ(Ticks(rows, Dec(8, 0, 1), 4, memory), std::vector<int>{});
  EXPECT_EQ(Ticks(rows, Dec(8, 7, 0), 240, memory), std::vector<int>{1});

  // Wednesday's midnight re-arms and fires it again, once; then the 周3 one, once.
  EXPECT_EQ(Ticks(rows, Dec(9), 240, memory), (std::vector<int>{0, 3}));
  EXPECT_EQ(rows[1].time, u"07:00");
  EXPECT_EQ(rows[2].time, u"00:00" + kMark);
}

TEST(DueCheck, MidnightTaskFiresOnceEvenWithoutATickInBetweenDays) {
  // The machine slept from one midnight minute into the next day's.
  std::vector<Task> rows({{u"00:00", u"周1234567", u"midnight"}});
  DueMemory memory;
  EXPECT_EQ(Ticks(rows, Dec(11), 10, memory), std::vector<int>{0});
  EXPECT_EQ(Ticks(rows, Dec(12), 10, memory), std::vector<int>{0});
}

TEST(DueCheck, EditedMidnightTaskIsArmedAgain) {
  std::vector<Task> rows({{u"00:00", u"周1", u"a"}, {u"00:00", u"周1", u"a"}});
  DueMemory memory;
  // Two equal tasks: both fire, one tick apart, and neither again.
  EXPECT_EQ(Ticks(rows, Dec(7), 40, memory), (std::vector<int>{0, 1}));
  // The user edits the first task within the same minute: the new text is armed and fires once.
  rows[0] = {u"00:00", u"周1", u"b"};
  EXPECT_EQ(Ticks(rows, Dec(7), 40, memory), std::vector<int>{0});
}

ClockTime At(int day, int hour, int minute, int second = 0) {
  ClockTime t = Dec(day, hour, minute);
  t.second = second;
  return t;
}

// A daily 07:00 task stored done, read at start: the file's last write tells whether the mark
// is today's (it rang and was saved today) or an earlier day's.
TEST(DueCheck, AStoredMarkIsTodaysOnlyWhenTheFileWasWrittenTodayInOrAfterItsMinute) {
  const std::optional<ClockTime> none;
  struct Case {
    const char* story;
    std::optional<ClockTime> written;
    ClockTime now;
    bool kept;
  } cases[] = {
      {"written yesterday, started before its minute", At(8, 7, 0, 30), At(9, 6, 59, 54), false},
      {"written yesterday, a slow start inside its minute", At(8, 7, 0, 30), At(9, 7, 0, 1), false},
      {"written yesterday, started after its minute", At(8, 7, 0, 30), At(9, 9, 15), false},
      {"written today before its minute (the start's save)", At(9, 6, 59, 58), At(9, 7, 0, 1), false},
      {"written today a minute before", At(9, 6, 59), At(9, 7, 0, 40), false},
      {"written today inside its minute, started again in it", At(9, 7, 0, 1), At(9, 7, 0, 40), true},
      {"written today inside its minute, started later", At(9, 7, 0, 1), At(9, 18, 0), true},
      {"written today after its minute, started later", At(9, 12, 0), At(9, 13, 0), true},
      {"clock set back within the day: it rang today", At(9, 9, 0), At(9, 6, 0), true},
      {"clock set back a day: that day has not rung", At(10, 7, 0, 30), At(9, 6, 59), false},
      {"the same day a year earlier", ClockTime{2025, 12, 9, 2, 7, 0, 30}, At(9, 7, 0, 40), false},
      {"the same day of another month", ClockTime{2026, 11, 9, 1, 7, 0, 30}, At(9, 7, 0, 40), false},
      {"no write time known", none, At(9, 7, 0, 40), false},
  };
  for (const Case& c : cases) {
    std::vector<Task> stored{{u"07:00" + kMark, u"周1234567", u"daily"}};
    DueMemory memory;
    EXPECT_EQ(RearmStored(stored, c.written, c.now, memory), !c.kept) << c.story;
    EXPECT_EQ(stored[0].time, c.kept ? u"07:00" + kMark : u"07:00") << c.story;
    EXPECT_EQ(stored[0].cycle, u"周1234567") << c.story;
    EXPECT_EQ(memory.rearmedDay, c.now.year * 10000 + c.now.month * 100 + c.now.day) << c.story;
  }
}

TEST(DueCheck, TheStartRearmsEachRowByItsOwnMinute) {
  std::vector<Task> stored{
      {u"00:00" + kMark, u"周1234567", u"midnight"},     // rang at 00:00 and was saved: kept
      {u"08:30" + kMark, u"周135", u"before the write"},  // kept
      {u"08:31" + kMark, u"周135", u"after the write"},   // the write was before it: yesterday's
      {u"23:55" + kMark, u"不循环", u"one-off"},          // one-offs keep theirs for good
      {u"09:00", u"周6", u"armed"},
      {u"8:3 (已完成)", u"周1", u"hand-edited"},          // never due; its mark goes
      {u"", u"周1", u"empty"},
      {u"garbage (已完成) (已完成)", u"周2", u"twice"},
  };
  DueMemory memory;
  EXPECT_TRUE(RearmStored(stored, At(9, 8, 30, 59), At(9, 8, 45), memory));
  const std::u16string after[] = {u"00:00" + kMark, u"08:30" + kMark, u"08:31", u"23:55" + kMark,
                                  u"09:00",          u"8:3",           u"",      u"garbage"};
  for (size_t i = 0; i < stored.size(); ++i) EXPECT_EQ(stored[i].time, after[i]) << i;

  std::vector<Task> nothing{{u"08:30", u"周135", u"armed"}, {u"08:30" + kMark, u"不循环", u"done"}};
  EXPECT_FALSE(RearmStored(nothing, std::nullopt, At(9, 8, 45), memory));
  std::vector<Task> none;
  EXPECT_FALSE(RearmStored(none, std::nullopt, At(9, 8, 45), memory));
}

// The start arms the list for its day: the first tick of that day re-arms nothing (a task
// that rang today keeps its mark), the first tick of the next day re-arms everything.
TEST(DueCheck, TheFirstTickKeepsTheStartsDay) {
  for (const bool tickBeforeMidnight : {true, false}) {
    SCOPED_TRACE(tickBeforeMidnight ? "a tick before midnight" : "the first tick after it");
    TaskList items;
    EXPECT_FALSE(items.Restore({{u"07:00" + kMark, u"周1234567", u"rang today"}}, At(9, 7, 0, 5), At(9, 23, 59, 59)));
    while (const std::optional<Task> task = items.TakeWaiting()) items.AddItem(task->time, task->cycle, task->info);
    if (tickBeforeMidnight) {
      EXPECT_FALSE(items.CheckDue(u"23:59", At(9, 23, 59, 59)).changed);
      EXPECT_EQ(items[0].time, u"07:00" + kMark);
    }
    EXPECT_TRUE(items.CheckDue(u"00:00", At(10, 0, 0, 0)).changed);
    EXPECT_EQ(items[0].time, u"07:00");
  }
}

// A week of one user's days, with the program stopped and started, the laptop asleep and the
// clock set by hand. A run keeps its list; each change is saved, and a start reads what was
// saved last.
class Week : public ::testing::Test, TaskList::Owner {
 protected:
  struct Fired {
    int day, hour, minute, task;
    bool operator==(const Fired& o) const {
      return day == o.day && hour == o.hour && minute == o.minute && task == o.task;
    }
  };

  // The file is read at `at`; its last write was the last save. The load then adds the tasks.
  void Start(const ClockTime& at) {
    items_ = std::make_unique<TaskList>();
    items_->SetOwner(this);
    now_ = at;
    const bool rearmed = items_->Restore(saved_, savedAt_, at);
    while (const std::optional<Task> task = items_->TakeWaiting()) items_->AddItem(task->time, task->cycle, task->info);
    if (rearmed) items_->SaveData();
  }
  void Stop() { items_.reset(); }
  // Four ticks a second from `from` for `minutes` minutes, as the clock reads.
  void Run(ClockTime from, int minutes) {
    ASSERT_TRUE(items_);
    for (int m = 0; m < minutes; ++m) {
      now_ = from;
      for (int tick = 0; tick < 240; ++tick) {
        const DueResult r = items_->CheckDue(ClockTextOf(from), from);
        if (r.fired != kNoTaskDue) fired_.push_back({from.day, from.hour, from.minute, r.fired});
        if (r.changed) items_->SaveData();
      }
      if (++from.minute == 60) {
        from.minute = 0;
        if (++from.hour == 24) from = Dec(from.day + 1);
      }
    }
  }

  void TaskAdded(std::size_t) override {}
  void TaskChanged(std::size_t) override {}
  void TaskRemoved(std::size_t) override {}
  bool SaveData() override {
    saved_ = items_->All();
    savedAt_ = now_;
    return true;
  }

  std::vector<Task> saved_;
  std::optional<ClockTime> savedAt_;  // the data file's last write; none for a file made by hand
  std::unique_ptr<TaskList> items_;
  ClockTime now_{};
  std::vector<Fired> fired_;
};

TEST_F(Week, OneOffRingsOnceAcrossRestarts) {
  saved_ = {{u"13:10", u"不循环", u"once"}};
  Start(Dec(7, 13, 0));
  Run(Dec(7, 13, 0), 15);
  Stop();
  Start(Dec(7, 13, 10));  // started again within the minute it fired
  Run(Dec(7, 13, 10), 5);
  Stop();
  Start(Dec(7, 15, 0));   // later the same day
  Run(Dec(7, 15, 0), 1);
  Stop();
  Start(Dec(8, 9, 0));    // the next day, through 13:10
  Run(Dec(8, 13, 5), 10);
  EXPECT_EQ(fired_, (std::vector<Fired>{{7, 13, 10, 0}}));
  EXPECT_EQ(saved_[0].time, u"13:10" + kMark);
}

TEST_F(Week, DailyTaskRingsEveryDayWhateverHappensOvernight) {
  saved_ = {{u"08:30", u"周1234567", u"daily"}, {u"00:00", u"周1234567", u"midnight"},
            {u"08:30", u"周6", u"saturday"}};
  Start(Dec(7, 8, 0));
  Run(Dec(7, 8, 25), 10);       // Monday: rings
  Stop();                       // switched off in the evening, mark saved
  Start(Dec(8, 8, 0));          // Tuesday morning
  Run(Dec(8, 8, 29), 2);        // rings
  Run(Dec(8, 23, 50), 1);       // then asleep from 23:50 ...
  Run(Dec(9, 8, 0), 31);        // ... to Wednesday 08:00: rings at 08:30
  Run(Dec(9, 23, 59), 2);       // through midnight awake: 00:00 rings once
  Run(Dec(10, 8, 30), 1);       // Thursday
  Run(Dec(12, 0, 0), 1);        // the clock set forward to Saturday midnight: rings once
  Run(Dec(12, 8, 30), 1);       // Saturday 08:30: both 08:30 tasks, one tick apart
  Stop();
  Start(Dec(12, 8, 30));        // started again in that minute: nothing rings twice
  Run(Dec(12, 8, 30), 1);
  Stop();
  Start(Dec(13, 7, 0));         // Sunday morning: both repeating tasks armed again
  Run(Dec(13, 8, 30), 1);
  EXPECT_EQ(fired_, (std::vector<Fired>{{7, 8, 30, 0},
                                        {8, 8, 30, 0},
                                        {9, 8, 30, 0},
                                        {10, 0, 0, 1},
                                        {10, 8, 30, 0},
                                        {12, 0, 0, 1},
                                        {12, 8, 30, 0},
                                        {12, 8, 30, 2},
                                        {13, 8, 30, 0}}));
}

// A start at logon reads the file only once the task's minute has begun: yesterday's mark
// does not keep it from ringing; a restart after it rang today does.
TEST_F(Week, ASlowStartInsideTheMinuteStillRings) {
  saved_ = {{u"07:00", u"周1234567", u"daily"}};
  Start(Dec(7, 6, 50));
  Run(Dec(7, 6, 59), 2);  // Monday: rings, and the mark is saved
  Stop();
  Start(At(8, 7, 0, 1));  // Tuesday: started at 06:59:54, the file read at 07:00:01
  Run(Dec(8, 7, 0), 1);   // rings
  Stop();
  Start(At(8, 7, 0, 40));  // started again in that minute: not twice
  Run(Dec(8, 7, 0), 1);
  Stop();
  Start(Dec(9, 6, 59));  // Wednesday: the start arms it and saves at 06:59 ...
  Stop();
  Start(At(9, 7, 0, 2));  // ... and a second start inside the minute still rings
  Run(Dec(9, 7, 0), 1);
  EXPECT_EQ(fired_, (std::vector<Fired>{{7, 7, 0, 0}, {8, 7, 0, 0}, {9, 7, 0, 0}}));
}

TEST_F(Week, ClockSetBackOverMidnightArmsTheDayAgain) {
  saved_ = {{u"08:30", u"周1234567", u"daily"}};
  Start(Dec(8, 8, 0));
  Run(Dec(8, 8, 30), 1);
  Run(Dec(7, 8, 30), 1);  // set back a day: that day is new to the program
  Run(Dec(7, 8, 31), 1);
  EXPECT_EQ(fired_, (std::vector<Fired>{{8, 8, 30, 0}, {7, 8, 30, 0}}));
}

}  // namespace
}  // namespace tavik
