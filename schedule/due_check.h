// The due check that runs after every clock tick: re-arms repeating tasks at midnight, then
// fires the first task whose minute has come. Pure: the rows, the clock text and the weekday
// are passed in, and the caller shows the popup for the row that fired.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "core/task_data.h"

namespace tavik {

inline constexpr int kNoRowDue = -1;
inline constexpr char16_t kMidnight[] = u"00:00";

// True when a task with this time text and cycle text falls due at the clock text on the
// weekday (1 = Monday .. 7 = Sunday): the time equals the clock text, which must itself be a
// valid "hh:mm", and the cycle is "不循环" or holds the weekday's digit.
bool IsDue(std::u16string_view time, std::u16string_view cycle, std::u16string_view clockText,
           int weekday);

// Removes every done mark from a repeating task's time text; a one-off task keeps its mark.
void Rearm(Task& row);

// What the check remembers between ticks: the tasks it fired during the present "00:00"
// minute. The midnight re-arm runs on every tick of that minute and would otherwise take
// back the mark of a repeating task due at 00:00, which would then fire four times a second.
struct DueMemory {
  std::vector<Task> firedAtMidnight;  // each as it stood after its mark was set
  int weekday = 0;                    // the day those tasks fired on
};

// One due check over rows[0..count): row 0 is the hidden template and never fires.
//  1. When the clock text is "00:00": every repeating row loses its done marks, except a row
//     the check itself fired earlier in this same minute.
//  2. The first due row, in index order, gets the done mark appended; later rows wait for the
//     next tick.
// Returns the index of the row that fired, or kNoRowDue. The popup then shows the clock text
// (the row's unmarked time) and the row's reminder text. Allocates nothing unless a row fires.
int DueCheck(Task* rows, std::size_t count, std::u16string_view clockText, int weekday,
             DueMemory& memory);

inline int DueCheck(std::vector<Task>& rows, std::u16string_view clockText, int weekday,
                    DueMemory& memory) {
  return DueCheck(rows.data(), rows.size(), clockText, weekday, memory);
}

}  // namespace tavik
