#include "core/clock.h"

namespace tavik {
namespace {

// Two digits of a field; a value outside 0..99 cannot come from a clock and shows as "00".
template <std::size_t N>
void AppendTwoDigits(FixedText<N>& out, int value) {
  if (value < 0 || value > 99) value = 0;
  out.append(static_cast<char16_t>(u'0' + value / 10));
  out.append(static_cast<char16_t>(u'0' + value % 10));
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

ClockText MakeClockText(const ClockTime& t) {
  ClockText text;
  AppendTwoDigits(text, t.hour);
  text.append(u':');
  AppendTwoDigits(text, t.minute);
  return text;
}

SecondText MakeSecondText(const ClockTime& t) {
  SecondText text;
  text.append(u':');
  AppendTwoDigits(text, t.second);
  return text;
}

DateText MakeDateText(const ClockTime& t, std::u16string_view weekdayName,
                      std::u16string_view dateSeparator) {
  DateText text;
  text.append(weekdayName.substr(0, kMaxWeekdayName));
  text.append(u' ');
  AppendTwoDigits(text, t.month);
  text.append(dateSeparator.substr(0, kMaxDateSeparator));
  AppendTwoDigits(text, t.day);
  return text;
}

std::u16string_view DefaultWeekdayName(int weekday) {
  static constexpr std::u16string_view kNames[] = {u"星期一", u"星期二", u"星期三", u"星期四",
                                                   u"星期五", u"星期六", u"星期日"};
  if (weekday < 1 || weekday > 7) return {};
  return kNames[weekday - 1];
}

int WeekdayFromSunday0(int dayOfWeek) {
  if (dayOfWeek < 0 || dayOfWeek > 6) return 0;
  return dayOfWeek == 0 ? 7 : dayOfWeek;
}

bool IsClockText(std::u16string_view text) {
  if (text.size() != 5 || text[2] != u':') return false;
  if (!IsDigit(text[0]) || !IsDigit(text[1]) || !IsDigit(text[3]) || !IsDigit(text[4])) {
    return false;
  }
  const int hour = (text[0] - u'0') * 10 + (text[1] - u'0');
  const int minute = (text[3] - u'0') * 10 + (text[4] - u'0');
  return hour <= 23 && minute <= 59;
}

ClockTexts MakeClockTexts(const ClockTime& t, std::u16string_view weekdayName,
                          std::u16string_view dateSeparator) {
  return {MakeClockText(t), MakeSecondText(t), MakeDateText(t, weekdayName, dateSeparator)};
}

}  // namespace tavik
