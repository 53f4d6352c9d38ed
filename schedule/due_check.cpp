#include "schedule/due_check.h"

#include <algorithm>

#include "schedule/clock.h"

namespace tavik {
namespace {

bool WasFiredAtMidnight(const DueMemory& memory, const Task& row) {
  return std::find(memory.firedAtMidnight.begin(), memory.firedAtMidnight.end(), row) !=
         memory.firedAtMidnight.end();
}

}  // namespace

bool IsDue(std::u16string_view time, std::u16string_view cycle, std::u16string_view clockText,
           int weekday) {
  if (!IsClockText(clockText) || time != clockText) return false;
  if (cycle == kNoRepeat) return true;
  if (weekday < 1 || weekday > 7) return false;
  return cycle.find(static_cast<char16_t>(u'0' + weekday)) != std::u16string_view::npos;
}

void Rearm(Task& row) {
  if (row.cycle == kNoRepeat) return;
  const std::u16string_view mark = kDoneMark;
  for (auto at = row.time.find(mark); at != std::u16string::npos; at = row.time.find(mark, at)) {
    row.time.erase(at, mark.size());
  }
}

int DueCheck(Task* rows, std::size_t count, std::u16string_view clockText, int weekday,
             DueMemory& memory) {
  const bool midnight = clockText == kMidnight;
  // A new day's midnight (or any other minute) forgets what fired at the last one.
  if ((!midnight || memory.weekday != weekday) && !memory.firedAtMidnight.empty()) {
    memory.firedAtMidnight.clear();
  }
  if (midnight) {
    for (std::size_t i = 0; i < count; ++i) {
      if (!WasFiredAtMidnight(memory, rows[i])) Rearm(rows[i]);
    }
  }

  for (std::size_t i = 1; i < count; ++i) {
    Task& row = rows[i];
    if (!IsDue(row.time, row.cycle, clockText, weekday)) continue;
    row.time += kDoneMark;
    if (midnight) {
      memory.weekday = weekday;
      memory.firedAtMidnight.push_back(row);
    }
    return static_cast<int>(i);
  }
  return kNoRowDue;
}

}  // namespace tavik
