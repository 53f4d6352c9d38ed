#include "core/clock.h"

#include <gtest/gtest.h>

#include <string>

namespace tavik {
namespace {

ClockTime At(int hour, int minute, int second, int month = 12, int day = 9, int weekday = 3) {
  ClockTime t;
  t.year = 2026;
  t.month = month;
  t.day = day;
  t.weekday = weekday;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return t;
}

TEST(ClockText, TwoDigitsColonTwoDigits) {
  struct Row {
    int h, m, s;
    std::u16string time, second;
  };
  const Row rows[] = {
      {0, 0, 0, u"00:00", u":00"},  // midnight
      {8, 5, 7, u"08:05", u":07"},  // single digits get their zero
      {23, 59, 59, u"23:59", u":59"},  {12, 30, 9, u"12:30", u":09"},
      {-1, 100, -5, u"00:00", u":00"},  // broken fields: still five characters, never garbage
  };
  for (const Row& r : rows) {
    const ClockTime t = At(r.h, r.m, r.s);
    EXPECT_EQ(MakeClockText(t).view(), r.time) << r.h << ":" << r.m;
    EXPECT_EQ(MakeSecondText(t).view(), r.second) << r.s;
    EXPECT_TRUE(IsClockText(MakeClockText(t).view())) << r.h << ":" << r.m;
  }
}

TEST(ClockText, DateWithLocaleNameAndSeparator) {
  struct Row {
    int month, day;
    std::u16string name, separator, expected;
  };
  const std::u16string longName(100, u'x');
  const Row rows[] = {
      {12, 9, u"星期三", u"/", u"星期三 12/09"},
      {1, 2, u"Montag", u".", u"Montag 01.02"},     // a locale with its own separator
      {3, 4, u"lundi", u"-/-/", u"lundi 03-/-04"},  // separator cut to three characters
      {5, 6, u"", u"", u" 0506"},                   // nothing from the locale
      {0, 32, u"Sunday", u"/", u"Sunday 00/32"},    // fields as given, two digits each
      {7, 8, longName, u"/", longName.substr(0, kMaxWeekdayName) + u" 07/08"},
  };
  for (const Row& r : rows) {
    const DateText d = MakeDateText(At(10, 0, 0, r.month, r.day), r.name, r.separator);
    EXPECT_EQ(d.view(), r.expected);
    EXPECT_EQ(std::u16string(d.c_str()), r.expected);  // zero-terminated for the window APIs
  }
}

TEST(ClockText, WeekdayNumbers) {
  struct Row {
    int in;
    int fromSunday0;
    std::u16string name;
  };
  const Row rows[] = {
      {0, 7, u""},       {1, 1, u"星期一"}, {6, 6, u"星期六"},
      {7, 0, u"星期日"}, {-1, 0, u""},      {8, 0, u""},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(WeekdayFromSunday0(r.in), r.fromSunday0) << r.in;
    EXPECT_EQ(DefaultWeekdayName(r.in), r.name) << r.in;
  }
}

TEST(ClockText, RecognisesOnlyValidClockTexts) {
  struct Row {
    std::u16string text;
    bool valid;
  };
  const Row rows[] = {
      {u"00:00", true},  {u"23:59", true},      {u"24:00", false},          {u"12:60", false},
      {u"8:30", false},  {u"08.30", false},     {u"08:30 (已完成)", false}, {u"", false},
      {u"ab:cd", false}, {u"０８:３０", false}, {u"-1:00", false},  // full-width digits, sign
  };
  for (const Row& r : rows) {
    EXPECT_EQ(IsClockText(r.text), r.valid) << std::string(r.text.begin(), r.text.end());
  }
}

// Every tick lands just after a quarter second, whatever moment the last one ran at: a
// new minute is seen 2 ms after it starts, not up to 250 ms later.
TEST(ClockTick, NextTickIsJustAfterTheNextQuarterSecond) {
  const std::pair<int, int> cases[] = {
      {0, 252}, {1, 251}, {2, 250}, {249, 3}, {250, 252}, {251, 251},
      {500, 252}, {748, 4}, {998, 4}, {999, 3},
  };
  for (const auto& [ms, delay] : cases) {
    EXPECT_EQ(NextTickDelayMs(ms), delay) << ms;
    EXPECT_EQ((ms + NextTickDelayMs(ms)) % kTickPeriodMs, kTickLateMs) << ms;  // lands on the boundary
  }
}

}  // namespace
}  // namespace tavik
