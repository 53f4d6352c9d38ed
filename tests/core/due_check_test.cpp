#include "schedule/due_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavik {
namespace {

const std::u16string kMark = kDoneMark;

Task Template() { return {u"00:00", u"循环周期", u"提醒内容"}; }

std::vector<Task> Rows(std::vector<Task> tasks) {
  tasks.insert(tasks.begin(), Template());
  return tasks;
}

// The fired rows over a run of ticks, as the popup would be filled.
std::vector<int> Ticks(std::vector<Task>& rows, std::u16string_view clock, int weekday, int n,
                       DueMemory& memory) {
  std::vector<int> fired;
  for (int i = 0; i < n; ++i) {
    const int row = DueCheck(rows, clock, weekday, memory);
    if (row != kNoRowDue) fired.push_back(row);
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

TEST(DueCheck, SameMinuteFiresOneRowPerTickLowerIndexFirst) {
  // Wednesday: the one-off fires, then 周135, and 周67 never does.
  auto rows = Rows({{u"08:30", u"不循环", u"one"},
                    {u"08:30", u"周135", u"two"},
                    {u"08:30", u"周67", u"three"}});
  DueMemory memory;
  EXPECT_EQ(DueCheck(rows, u"08:30", 3, memory), 1);
  EXPECT_EQ(rows[1].time, u"08:30" + kMark);
  EXPECT_EQ(rows[2].time, u"08:30");
  EXPECT_EQ(DueCheck(rows, u"08:30", 3, memory), 2);
  EXPECT_EQ(rows[2].time, u"08:30" + kMark);
  EXPECT_EQ(Ticks(rows, u"08:30", 3, 240, memory), std::vector<int>{});
  EXPECT_EQ(rows[3].time, u"08:30");

  // Next midnight: the repeating task is armed again, the one-off stays done.
  EXPECT_EQ(DueCheck(rows, u"00:00", 4, memory), kNoRowDue);
  EXPECT_EQ(rows[1].time, u"08:30" + kMark);
  EXPECT_EQ(rows[2].time, u"08:30");
  EXPECT_EQ(rows[0], Template());
}

TEST(DueCheck, TemplateRowNeverFires) {
  // Even a template that looks like a task due every day at midnight.
  std::vector<Task> rows = {{u"00:00", u"周1234567", u"x"}, {u"00:01", u"不循环", u"x"}};
  DueMemory memory;
  for (int day = 1; day <= 7; ++day) {
    EXPECT_EQ(Ticks(rows, u"00:00", day, 8, memory), std::vector<int>{});
  }
  EXPECT_EQ(rows[0].time, u"00:00");
  std::vector<Task> onlyTemplate = {Template()};
  EXPECT_EQ(DueCheck(onlyTemplate, u"00:00", 1, memory), kNoRowDue);
  std::vector<Task> none;
  EXPECT_EQ(DueCheck(none, u"00:00", 1, memory), kNoRowDue);
}

TEST(DueCheck, MalformedRowsAreSkippedNotBlocking) {
  auto rows = Rows({{u"", u"", u""},
                    {u"08:30;不循环;x", u"不循环", u"x"},
                    {u"08:30", u"周", u"no days"},
                    {u"08:30", u"不循环", u"fires"}});
  DueMemory memory;
  EXPECT_EQ(DueCheck(rows, u"08:30", 1, memory), 4);
  EXPECT_EQ(Ticks(rows, u"08:30", 1, 20, memory), std::vector<int>{});
  EXPECT_EQ(Ticks(rows, u"garbage", 1, 4, memory), std::vector<int>{});
}

TEST(DueCheck, MidnightRepeatingTaskFiresOnceInItsMinute) {
  auto rows = Rows({{u"00:00", u"周1234567", u"midnight"},
                    {u"07:00" + kMark, u"周2", u"morning"},
                    {u"00:00" + kMark, u"不循环", u"old one-off"},
                    {u"00:00", u"周3", u"not today"}});
  DueMemory memory;
  // Tuesday 00:00, a whole minute of ticks.
  EXPECT_EQ(Ticks(rows, u"00:00", 2, 240, memory), std::vector<int>{1});
  EXPECT_EQ(rows[1].time, u"00:00" + kMark);
  EXPECT_EQ(rows[2].time, u"07:00");  // re-armed on the first tick and stays so
  EXPECT_EQ(rows[3].time, u"00:00" + kMark);
  EXPECT_EQ(rows[4].time, u"00:00");

  // The rest of the day: 07:00 fires once, midnight does not again.
  EXPECT_EQ(Ticks(rows, u"00:01", 2, 4, memory), std::vector<int>{});
  EXPECT_EQ(Ticks(rows, u"07:00", 2, 240, memory), std::vector<int>{2});

  // Wednesday's midnight re-arms and fires it again, once; then the 周3 one, once.
  EXPECT_EQ(Ticks(rows, u"00:00", 3, 240, memory), (std::vector<int>{1, 4}));
  EXPECT_EQ(rows[2].time, u"07:00");
  EXPECT_EQ(rows[3].time, u"00:00" + kMark);
}

TEST(DueCheck, MidnightTaskFiresOnceEvenWithoutATickInBetweenDays) {
  // The machine slept from one midnight minute into the next day's.
  auto rows = Rows({{u"00:00", u"周1234567", u"midnight"}});
  DueMemory memory;
  EXPECT_EQ(Ticks(rows, u"00:00", 5, 10, memory), std::vector<int>{1});
  EXPECT_EQ(Ticks(rows, u"00:00", 6, 10, memory), std::vector<int>{1});
}

TEST(DueCheck, EditedMidnightTaskIsArmedAgain) {
  auto rows = Rows({{u"00:00", u"周1", u"a"}, {u"00:00", u"周1", u"a"}});
  DueMemory memory;
  // Two equal tasks: both fire, one tick apart, and neither again.
  EXPECT_EQ(Ticks(rows, u"00:00", 1, 40, memory), (std::vector<int>{1, 2}));
  // The user edits row 1 within the same minute: the new text is armed and fires once.
  rows[1] = {u"00:00", u"周1", u"b"};
  EXPECT_EQ(Ticks(rows, u"00:00", 1, 40, memory), std::vector<int>{1});
}

}  // namespace
}  // namespace tavik
