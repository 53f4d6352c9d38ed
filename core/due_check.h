// The due check that runs after every clock tick: re-arms repeating tasks once a day, then
// fires the first task whose minute has come. Pure: the tasks, the clock text and today's
// date are passed in, and the caller shows the popup for the task that fired and saves the
// list when the check changed it.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "core/task_data.h"
#include "core/clock.h"

namespace tavik {

inline constexpr int kNoTaskDue = -1;

// True when a task with this time text and cycle text falls due at the clock text on the
// weekday (1 = Monday .. 7 = Sunday): the time equals the clock text, which must itself be a
// valid "hh:mm", and the cycle is "不循环" or holds the weekday's digit.
bool IsDue(std::u16string_view time, std::u16string_view cycle, std::u16string_view clockText,
           int weekday);

// True when one of tasks[0..count) may fall due in the minute after `now` (its time, without
// a done mark, is that minute's and its cycle allows that minute's weekday): what the popup
// needs is then made ready before the minute starts. Allocates nothing.
bool DueNextMinute(const Task* tasks, std::size_t count, const ClockTime& now);

// Removes every done mark from a repeating task's time text; a one-off task keeps its mark.
// True when the text changed.
bool Rearm(Task& task);

// What the check remembers between ticks: the day the tasks are armed for.
struct DueMemory {
  int rearmedDay = 0;  // year * 10000 + month * 100 + day; 0 until the start's re-arm or the first tick
};

// The tasks read from the data file at start, at `now`, from a file last written at `written`
// (local time; none when unknown). A repeating task's stored mark is today's only when the
// file was last written today at or after the task's minute: it rang and was saved, and the
// program was started again. Otherwise the mark is from an earlier day (or from a clock that
// was set back since), and the task is armed again. One-off tasks keep their marks for good.
// `memory` learns the day the tasks are now armed for, so the first tick of a later day re-arms
// them. True when a text changed.
bool RearmStored(std::vector<Task>& stored, const std::optional<ClockTime>& written, const ClockTime& now,
                 DueMemory& memory);

struct DueResult {
  int fired = kNoTaskDue;  // the place of the task that fired, or kNoTaskDue
  bool changed = false;    // a mark was set or taken: the list must be saved
  bool moreDue = false;    // another task is due in this minute too: the next check should come at once
};

// One due check over tasks[0..count):
//  1. The first tick of a day other than the day the tasks are armed for (the "00:00" tick, or
//     the first one after a sleep or a clock change across midnight) re-arms every repeating
//     task. The tasks read at start were armed for their day by RearmStored; a first tick
//     before that only takes note of the day.
//  2. The first due task, in list order, gets the done mark appended; later ones wait for the
//     next tick, and `moreDue` says one is waiting. A task due at 00:00 therefore fires once:
//     the re-arm runs before it, once.
// The popup then shows the clock text (the task's unmarked time) and the task's reminder text.
// Allocates nothing unless a task fires.
DueResult DueCheck(Task* tasks, std::size_t count, std::u16string_view clockText, const ClockTime& today,
                   DueMemory& memory);

inline DueResult DueCheck(std::vector<Task>& tasks, std::u16string_view clockText, const ClockTime& today,
                          DueMemory& memory) {
  return DueCheck(tasks.data(), tasks.size(), clockText, today, memory);
}

}  // namespace tavik
