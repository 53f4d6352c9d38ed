#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editing/task_form.h"

namespace tavik {

namespace {

WeekChecks Days(std::u16string_view digits) {
  WeekChecks week{};
  for (const char16_t d : digits) week[d - u'1'] = true;
  return week;
}

TEST(TaskFormLists, HoursAndMinutesAreTwoDigitTextsInOrder) {
  const auto& hours = HourTexts();
  ASSERT_EQ(hours.size(), 24u);
  EXPECT_EQ(hours[0], u"00");
  EXPECT_EQ(hours[9], u"09");
  EXPECT_EQ(hours[10], u"10");
  EXPECT_EQ(hours[23], u"23");

  const std::vector<std::u16string> minutes = {u"00", u"05", u"10", u"15", u"20", u"25",
                                               u"30", u"35", u"40", u"45", u"50", u"55"};
  EXPECT_EQ(MinuteTexts(), minutes);
}

TEST(TaskFormCycle, BuildsFromTheSevenBoxes) {
  const struct {
    std::u16string_view checked;
    std::u16string cycle;
  } cases[] = {
      {u"", u"不循环"},
      {u"1234567", u"周1234567"},
      {u"7", u"周7"},
      {u"1", u"周1"},
      {u"135", u"周135"},
      {u"67", u"周67"},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildCycle(Days(c.checked)), c.cycle);
}

TEST(TaskFormCreate, NeedsAnHourAndAMinuteFromTheLists) {
  const struct {
    std::u16string_view hour, minute;
    bool made;
    std::u16string time;
  } cases[] = {
      {u"08", u"30", true, u"08:30"},
      {u"00", u"00", true, u"00:00"},
      {u"23", u"55", true, u"23:55"},
      {u"08", u"", false, u""},  // hour only: nothing happens, the dialog stays open
      {u"", u"30", false, u""},
      {u"", u"", false, u""},
      {u"8", u"30", false, u""},  // typed, not list entries
      {u"24", u"00", false, u""},
      {u"08", u"07", false, u""},
      {u"08", u"60", false, u""},
      {u"08:", u"30", false, u""},
      {u"０８", u"３０", false, u""},
  };
  for (const auto& c : cases) {
    const std::optional<Task> task = BuildTask(c.hour, c.minute, Days(u"135"), u"abc");
    SCOPED_TRACE(::testing::PrintToString(std::u16string(c.hour) + u"|" +
                                          std::u16string(c.minute)));
    ASSERT_EQ(task.has_value(), c.made);
    if (task) {
      EXPECT_EQ(*task, (Task{c.time, u"周135", u"abc"}));
    }
  }
}

TEST(TaskFormCreate, EmptyReminderBecomesNoInfo) {
  const struct {
    std::u16string_view typed;
    std::u16string stored;
  } cases[] = {
      {u"", u"无"},
      {u"abc", u"abc"},
      {u" ", u" "},  // only an empty text is replaced
      {u"a;b,c\r\nd", u"a;b,c\r\nd"},
  };
  for (const auto& c : cases) {
    const std::optional<Task> task = BuildTask(u"07", u"05", WeekChecks{}, c.typed);
    ASSERT_TRUE(task);
    EXPECT_EQ(*task, (Task{u"07:05", u"不循环", c.stored}));
  }
}

TEST(TaskFormCounter, ShowsWhatIsLeftOfEightyUnits) {
  const struct {
    std::u16string text;
    std::u16string counter;
  } cases[] = {
      {u"", u"80/80 字"},
      {u"hello", u"75/80 字"},
      {u"早上开会", u"76/80 字"},       // a Chinese character counts one
      {u"a\r\nb", u"76/80 字"},         // a line break counts two
      {u"\U0001F600", u"78/80 字"},     // outside the BMP: two UTF-16 units
      {std::u16string(79, u'x'), u"1/80 字"},
      {std::u16string(80, u'字'), u"0/80 字"},
      {std::u16string(81, u'x'), u"-1/80 字"},  // hand-edited file: how much to cut
      {std::u16string(200, u'x'), u"-120/80 字"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CounterText(c.text.size()), c.counter) << c.text.size();
  }
}

TEST(TaskFormCounter, FollowsTextsTheProgramPutsIntoTheBox) {
  // The "无" of an empty reminder text.
  const std::optional<Task> created = BuildTask(u"08", u"30", WeekChecks{}, u"");
  ASSERT_TRUE(created);
  EXPECT_EQ(CounterText(created->info.size()), u"79/80 字");

  // An edit's reminder text.
  const EditFill fill = FillFromTask({u"08:30", u"周1", u"买菜 milk"});
  EXPECT_EQ(CounterText(fill.info.size()), u"73/80 字");
}

TEST(TaskFormKeys, FilterAtTheLimit) {
  constexpr unsigned kBackspace = 8;
  const struct {
    unsigned code;
    std::size_t selection, length;
    bool passes;
  } cases[] = {
      {'a', 0, 0, true},
      {'a', 0, 79, true},
      {'a', 0, 80, false},
      {0x5B57, 0, 80, false},  // 字
      {'\r', 0, 80, false},
      {'\r', 0, 79, false},  // CR LF would be cut to a lone CR
      {'\r', 0, 78, true},
      {'\r', 1, 80, false},
      {'\r', 2, 80, true},
      {0xD83D, 0, 79, false},  // the first half of 😀: both halves or none
      {0xD83D, 0, 78, true},
      {0xDE00, 0, 79, true},   // the second half follows a first that fitted
      {'a', 1, 80, true},  // replaces the selection
      {'a', 80, 80, true},
      {kBackspace, 0, 80, true},
      {kBackspace, 0, 0, true},
      {kBackspace, 3, 80, true},
      {'a', 0, 81, false},  // longer than allowed (hand-edited file)
      {'a', 0, 500, false},
      {'a', 2, 500, true},
      {kBackspace, 0, 500, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KeyPasses(c.code, c.selection, c.length, kMaxInfoLength), c.passes)
        << c.code << " sel " << c.selection << " len " << c.length;
  }
}

// Types into a box the way the dialog does: the filter decides, a passed key replaces the
// selection (if any) with one character, Backspace removes one.
struct Box {
  std::size_t length = 0;
  std::size_t selection = 0;

  void Type(unsigned code) {
    if (!KeyPasses(code, selection, length, kMaxInfoLength)) return;
    if (code == 8) {
      length -= selection > 0 ? selection : (length > 0 ? 1 : 0);
    } else {
      length = length - selection + 1;
    }
    selection = 0;
  }
};

TEST(TaskFormKeys, PastedAndStoredTextsHoldNoHalfBreaks) {
  const struct {
    std::u16string text;
    std::size_t room;
    std::u16string fitted;
  } pastes[] = {
      {u"ab\r\ncd", 3, u"ab"},       // not "ab\r"
      {u"ab\r\ncd", 4, u"ab\r\n"},
      {u"a\U0001F600", 2, u"a"},    // not half the emoji
      {u"a\U0001F600", 3, u"a\U0001F600"},
      {u"", 5, u""},
      {u"xyz", 0, u""},
  };
  for (const auto& p : pastes) EXPECT_EQ(FitInsertion(p.text, p.room), p.fitted);
  EXPECT_EQ(InfoOrDefault(u"79 chars\r"), u"79 chars");
  EXPECT_EQ(InfoOrDefault(u"a\rb\r\nc"), u"ab\r\nc");
  EXPECT_EQ(InfoOrDefault(u"x\xD83D"), u"x");
  EXPECT_EQ(InfoOrDefault(u"\r"), u"无");
  EXPECT_EQ(InfoOrDefault(u"\U0001F600\r\n"), u"\U0001F600\r\n");
}

TEST(TaskFormKeys, TypingPastEightyStopsUnlessTextIsSelected) {
  Box box;
  for (int i = 0; i < 85; ++i) box.Type('x');
  EXPECT_EQ(box.length, 80u);
  EXPECT_EQ(CounterText(box.length), u"0/80 字");

  box.selection = 3;
  box.Type(0x4E2D);  // 中 replaces the three selected characters
  EXPECT_EQ(box.length, 78u);
  box.Type('y');
  box.Type('z');
  box.Type('!');
  EXPECT_EQ(box.length, 80u);

  box.Type(8);
  EXPECT_EQ(box.length, 79u);
  EXPECT_EQ(CounterText(box.length), u"1/80 字");
}

TEST(TaskFormEdit, FillsTheDialogFromARow) {
  constexpr int kNone = kNoPick;
  const struct {
    Task row;
    int hour, minute;
    std::u16string_view days;
  } cases[] = {
      {{u"08:30", u"周135", u"abc"}, 8, 6, u"135"},
      {{u"08:30 (已完成)", u"周135", u"abc"}, 8, 6, u"135"},  // the done mark is dropped
      {{u"00:00", u"不循环", u"x"}, 0, 0, u""},
      {{u"23:55", u"周1234567", u"x"}, 23, 11, u"1234567"},
      // Rows only a hand-edited file can hold: the bad parts stay empty.
      {{u"0830", u"周1", u"x"}, kNone, kNone, u"1"},
      {{u"8:30", u"周1", u"x"}, kNone, 6, u"1"},
      {{u"24:00", u"周1", u"x"}, kNone, 0, u"1"},
      {{u"08:07", u"周1", u"x"}, 8, kNone, u"1"},
      {{u"08:", u"周", u"x"}, 8, kNone, u""},
      {{u":30", u"", u"x"}, kNone, 6, u""},
      {{u"08:3:", u"周1", u"x"}, 8, kNone, u"1"},
      {{u" 08:30", u"周1", u"x"}, kNone, kNone, u"1"},
      {{u"", u"", u""}, kNone, kNone, u""},
      {{u"０８:３０", u"周１", u"x"}, kNone, kNone, u""},
      {{u"08:30", u"周089x7", u"x"}, 8, 6, u"7"},
      {{u"08:30", u"周1 3周5", u"x"}, 8, 6, u"135"},
      {{u"08:30", u"周531", u"x"}, 8, 6, u"135"},
      {{u"08:30", u"每天", u"x"}, 8, 6, u""},
      {{u"08:30", u"不循环2", u"x"}, 8, 6, u"2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.row.time + u"|" + c.row.cycle));
    const EditFill fill = FillFromTask(c.row);
    EXPECT_EQ(fill.hour, c.hour);
    EXPECT_EQ(fill.minute, c.minute);
    EXPECT_EQ(fill.week, Days(c.days));  // all seven boxes, unchecked ones too
    EXPECT_EQ(fill.info, c.row.info);
  }
}

TEST(TaskFormEdit, CreateAfterAnEditGivesTheTaskBackWithoutItsMark) {
  const struct {
    Task row, saved;
  } cases[] = {
      {{u"08:30 (已完成)", u"周135", u"开会"}, {u"08:30", u"周135", u"开会"}},
      {{u"21:45 (已完成)", u"不循环", u"x"}, {u"21:45", u"不循环", u"x"}},
      {{u"00:05", u"周67", u"a;b,c"}, {u"00:05", u"周67", u"a;b,c"}},
      {{u"06:00", u"周1", std::u16string(100, u'x')},
       {u"06:00", u"周1", std::u16string(100, u'x')}},  // kept whole, never cut
      {{u"06:00", u"周1", u""}, {u"06:00", u"周1", u"无"}},
  };
  for (const auto& c : cases) {
    const EditFill fill = FillFromTask(c.row);
    ASSERT_NE(fill.hour, kNoPick);
    ASSERT_NE(fill.minute, kNoPick);
    const std::optional<Task> saved =
        BuildTask(HourTexts()[fill.hour], MinuteTexts()[fill.minute], fill.week, fill.info);
    ASSERT_TRUE(saved);
    EXPECT_EQ(*saved, c.saved);
  }

  // A hand-edited row with a bad hour cannot be saved until the user picks one.
  const EditFill bad = FillFromTask({u"8:30", u"周1", u"x"});
  EXPECT_FALSE(BuildTask(u"", MinuteTexts()[bad.minute], bad.week, bad.info));
}

}  // namespace
}  // namespace tavik
