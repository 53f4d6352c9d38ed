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

// Each wake lands just after the next second (shown) or minute (hidden) of the wall clock,
// whatever moment the last one ran at: a new minute is seen 2 ms after it starts. A wake that
// came early waits the few ms to the boundary instead of a whole period.
TEST(ClockTick, NextWakeIsJustAfterTheNextSecondShownOrMinuteHidden) {
  struct Case {
    ClockTime at;
    int millisecond;
    bool shown;
    int delay;
  };
  const auto at = [](int h, int m, int s) { return ClockTime{2026, 12, 9, 3, h, m, s}; };
  const Case cases[] = {
      {at(8, 30, 0), 0, true, 1002},      {at(8, 30, 0), 2, true, 1000},    {at(8, 30, 0), 3, true, 999},
      {at(8, 30, 7), 500, true, 502},     {at(8, 30, 59), 998, true, 4},    {at(8, 30, 59), 999, true, 3},
      {at(8, 30, 0), 0, false, 60002},    {at(8, 30, 0), 2, false, 60000},  {at(8, 30, 0), 40, false, 59962},
      {at(8, 30, 30), 0, false, 30002},   {at(8, 30, 59), 999, false, 3},   {at(8, 29, 59), 990, false, 12},
      {at(23, 59, 59), 999, false, 3},    {at(23, 59, 59), 999, true, 3},   {at(0, 0, 0), 0, false, 60002},
      {at(13, 7, 42), 250, false, 17752},
  };
  for (const Case& c : cases) {
    const int ms = MsOfDay(c.at, c.millisecond);
    const int delay = NextWakeDelayMs(ms, c.shown);
    EXPECT_EQ(delay, c.delay) << ms << (c.shown ? " shown" : " hidden");
    const int period = c.shown ? kShownPeriodMs : kHiddenPeriodMs;
    EXPECT_EQ((ms + delay) % period, kWakeLateMs) << ms;  // lands on the boundary
  }
  // A whole day of readings, every 37 ms: never a wait of 0, never more than a period.
  for (int ms = 0; ms < 24 * 3600 * 1000; ms += 37) {
    for (const bool shown : {true, false}) {
      const int delay = NextWakeDelayMs(ms, shown);
      ASSERT_GT(delay, 0) << ms;
      ASSERT_LE(delay, (shown ? kShownPeriodMs : kHiddenPeriodMs) + kWakeLateMs) << ms;
    }
  }
}

// A wake on time leaves the timer as it is, once it runs with the period: setting it again at
// every wake would cost a call into the system each second. Late, early, or after a wake asked
// for at once or in the other state, it is set again.
TEST(ClockTick, ATimerOnTimeCarriesOnOthersAreSetAgain) {
  struct Case {
    int second, millisecond;
    bool shown;
    int armed;
    int rearm;  // 0: carries on
  };
  const Case cases[] = {
      {7, 2, true, 1000, 0},        {7, 41, true, 1000, 0},      {7, 42, true, 1000, 960},
      {7, 0, true, 1000, 0},        {7, 999, true, 1000, 3},      {7, 2, true, 502, 1000},
      {7, 30, true, 0, 1000},       {0, 5, false, 60000, 0},      {0, 5, false, 1000, 60000},
      {7, 5, false, 60000, 52997},  {59, 998, false, 60000, 4},  {0, 5, true, 60000, 1000},
  };
  for (const Case& c : cases) {
    const int ms = MsOfDay({2026, 12, 9, 3, 8, 30, c.second}, c.millisecond);
    EXPECT_EQ(RearmDelayMs(ms, c.shown, c.armed), c.rearm)
        << c.second << "." << c.millisecond << (c.shown ? " shown" : " hidden") << " armed " << c.armed;
  }
}

}  // namespace
}  // namespace tavik
