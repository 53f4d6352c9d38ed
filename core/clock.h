// The clock panel's three texts for a given moment. No clock is read here: the caller passes
// the time in, so midnight, weekdays and odd locales can be tested without waiting for them.
#pragma once

#include <cstddef>
#include <string_view>

namespace tavik {

// A moment as the system clock gives it, weekday counted from Monday.
struct ClockTime {
  int year = 0;
  int month = 0;    // 1..12
  int day = 0;      // 1..31
  int weekday = 0;  // 1 = Monday .. 7 = Sunday
  int hour = 0;     // 0..23
  int minute = 0;
  int second = 0;
};

// A short text in a fixed buffer, so each tick builds its texts without the heap.
// Text longer than the capacity is cut at the capacity.
template <std::size_t Capacity>
class FixedText {
 public:
  static constexpr std::size_t kCapacity = Capacity;

  std::u16string_view view() const { return {chars_, size_}; }
  const char16_t* c_str() const { return chars_; }  // zero-terminated, for the window APIs
  std::size_t size() const { return size_; }

  void clear() {
    size_ = 0;
    chars_[0] = u'\0';
  }
  void append(std::u16string_view text) {
    for (char16_t c : text) {
      if (size_ == Capacity) break;
      chars_[size_++] = c;
    }
    chars_[size_] = u'\0';
  }
  void append(char16_t c) { append(std::u16string_view(&c, 1)); }

  friend bool operator==(const FixedText& a, const FixedText& b) { return a.view() == b.view(); }
  friend bool operator!=(const FixedText& a, const FixedText& b) { return !(a == b); }

 private:
  char16_t chars_[Capacity + 1] = {};
  std::size_t size_ = 0;
};

// A locale's full weekday name has at most 80 characters and its date separator at most 3;
// the date text is the name, a space, two digits, the separator and two digits.
inline constexpr std::size_t kMaxWeekdayName = 80;
inline constexpr std::size_t kMaxDateSeparator = 3;
inline constexpr std::size_t kDateTextCapacity = kMaxWeekdayName + 1 + 2 + kMaxDateSeparator + 2;

using ClockText = FixedText<5>;    // "08:05"
using SecondText = FixedText<3>;   // ":07"
using DateText = FixedText<kDateTextCapacity>;  // "星期三 12/09"

inline constexpr char16_t kDefaultDateSeparator[] = u"/";

// "hh:mm" on the 24-hour clock: always two digits, ":", two digits, whatever the locale's
// own time separator, because the due check compares task times against exactly this form.
ClockText MakeClockText(const ClockTime& t);

// ":ss".
SecondText MakeSecondText(const ClockTime& t);

// "dddd mm/dd": the weekday name, a space, the month, the separator, the day. The name and
// the separator come from the locale (the Win32 side asks for them); longer ones are cut.
DateText MakeDateText(const ClockTime& t, std::u16string_view weekdayName,
                      std::u16string_view dateSeparator);

// 星期一 .. 星期日 for 1..7, the names a Chinese system gives; "" for any other number.
std::u16string_view DefaultWeekdayName(int weekday);

// Weekday from Monday (1..7) for a day counted from Sunday (0..6), as Windows counts it;
// 0 for a number outside 0..6.
int WeekdayFromSunday0(int dayOfWeek);

// True for a valid clock text: two digits 00..23, ":", two digits 00..59, nothing else.
bool IsClockText(std::u16string_view text);

// The three labels of the panel, built in one go; equal texts need no repaint.
struct ClockTexts {
  ClockText time;
  SecondText second;
  DateText date;
};

ClockTexts MakeClockTexts(const ClockTime& t, std::u16string_view weekdayName,
                          std::u16string_view dateSeparator);

// The clock wakes only when something it shows can change: while the window is shown, just
// after each second of the wall clock begins (the seconds label); while it is hidden in the
// tray, just after each minute begins (the due check and the other labels). Aligned to the
// wall clock, a new minute is seen a few milliseconds after it starts. The wait from a
// reading at `msOfDay` (milliseconds since midnight, 0 .. 86 399 999) to the next wake;
// never 0, so a wake that came a little early waits for the boundary it missed.
inline constexpr int kWakeLateMs = 2;         // after the boundary, never just before it
inline constexpr int kWakeToleranceMs = 30;   // the system may put a wake off this much to join others
inline constexpr int kShownPeriodMs = 1000;
inline constexpr int kHiddenPeriodMs = 60 * 1000;
constexpr int NextWakeDelayMs(int msOfDay, bool shown) {
  const int period = shown ? kShownPeriodMs : kHiddenPeriodMs;
  const int into = ((msOfDay % period) + period) % period;
  return period - into + kWakeLateMs;
}

// A wake that lands less than kWakeLateMs + kWakeSlackMs after its boundary is on time: the
// timer armed with the period carries on, and is not set again at every wake (each setting
// costs a call into the system). Later, or early, it is set again to land just after the next
// boundary.
inline constexpr int kWakeSlackMs = 40;
// What to arm after a wake at `msOfDay` while the timer is armed with `armedMs` (0: the wake
// was asked for at once): 0 when the timer carries on as it is, else the delay to arm it with.
// On time, that delay is the period itself, so the timer then keeps its pace by itself.
constexpr int RearmDelayMs(int msOfDay, bool shown, int armedMs) {
  const int period = shown ? kShownPeriodMs : kHiddenPeriodMs;
  const int into = ((msOfDay % period) + period) % period;
  if (into < kWakeLateMs + kWakeSlackMs) return armedMs == period ? 0 : period;
  return NextWakeDelayMs(msOfDay, shown);
}

// Milliseconds since midnight of a reading.
constexpr int MsOfDay(const ClockTime& t, int millisecond) {
  return ((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + millisecond;
}

}  // namespace tavik
