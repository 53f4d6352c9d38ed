#include "core/due_check.h"

namespace tavik {
namespace {

int DayOf(const ClockTime& t) { return t.year * 10000 + t.month * 100 + t.day; }

// The minute of the day of a valid "hh:mm".
int MinuteOfDay(std::u16string_view clockText) {
  const auto digit = [&](std::size_t i) { return clockText[i] - u'0'; };
  return (digit(0) * 10 + digit(1)) * 60 + digit(3) * 10 + digit(4);
}

}  // namespace

bool IsDue(std::u16string_view time, std::u16string_view cycle, std::u16string_view clockText,
           int weekday) {
  if (!IsClockText(clockText) || time != clockText) return false;
  if (cycle == kNoRepeat) return true;
  if (weekday < 1 || weekday > 7) return false;
  return cycle.find(static_cast<char16_t>(u'0' + weekday)) != std::u16string_view::npos;
}

bool DueNextMinute(const Task* tasks, std::size_t count, const ClockTime& now) {
  int minute = now.minute + 1, hour = now.hour, weekday = now.weekday;
  if (minute == 60) {
    minute = 0;
    if (++hour == 24) {
      hour = 0;
      weekday = weekday % 7 + 1;
    }
  }
  const char16_t next[] = {static_cast<char16_t>(u'0' + hour / 10), static_cast<char16_t>(u'0' + hour % 10), u':',
                           static_cast<char16_t>(u'0' + minute / 10), static_cast<char16_t>(u'0' + minute % 10)};
  const std::u16string_view text(next, 5);
  const std::u16string_view mark = kDoneMark;
  for (std::size_t i = 0; i < count; ++i) {
    std::u16string_view time = tasks[i].time;
    if (time.size() >= mark.size() && time.substr(time.size() - mark.size()) == mark)
      time.remove_suffix(mark.size());  // a repeating task is armed again at midnight
    if (IsDue(time, tasks[i].cycle, text, weekday)) return true;
  }
  return false;
}

bool Rearm(Task& task) {
  if (task.cycle == kNoRepeat) return false;
  const std::u16string_view mark = kDoneMark;
  bool changed = false;
  for (auto at = task.time.find(mark); at != std::u16string::npos; at = task.time.find(mark, at)) {
    task.time.erase(at, mark.size());
    changed = true;
  }
  return changed;
}

bool RearmStored(std::vector<Task>& stored, const std::optional<ClockTime>& written, const ClockTime& now,
                 DueMemory& memory) {
  const int today = DayOf(now);
  memory.rearmedDay = today;
  bool changed = false;
  for (Task& task : stored) {
    Task armed = task;
    if (!Rearm(armed)) continue;
    // Saved today in or after the task's minute: it rang today (and was saved at once).
    if (written && DayOf(*written) == today && IsClockText(armed.time) &&
        written->hour * 60 + written->minute >= MinuteOfDay(armed.time))
      continue;
    task = std::move(armed);
    changed = true;
  }
  return changed;
}

DueResult DueCheck(Task* tasks, std::size_t count, std::u16string_view clockText, const ClockTime& today,
                   DueMemory& memory) {
  DueResult result;
  const int day = DayOf(today);
  if (memory.rearmedDay != day) {
    if (memory.rearmedDay != 0)
      for (std::size_t i = 0; i < count; ++i) result.changed |= Rearm(tasks[i]);
    memory.rearmedDay = day;
  }
  for (std::size_t i = 0; i < count; ++i) {
    Task& task = tasks[i];
    if (!IsDue(task.time, task.cycle, clockText, today.weekday)) continue;
    if (result.fired != kNoTaskDue) {
      result.moreDue = true;
      break;
    }
    task.time += kDoneMark;
    result.fired = static_cast<int>(i);
    result.changed = true;
  }
  return result;
}

}  // namespace tavik
