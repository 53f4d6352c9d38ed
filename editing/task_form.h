// The rules of the new-task dialog and the item menu, kept free of windows so that the
// dialog only moves values between these functions and its controls.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/task_data.h"

namespace tavik {

inline constexpr std::size_t kMaxInfoLength = 80;  // reminder text, in UTF-16 units
inline constexpr int kNoPick = -1;                 // no entry picked in a list (CB_SETCURSEL -1)
inline constexpr char16_t kNoInfo[] = u"无";       // stored for an empty reminder text

// Weekday boxes in dialog order: [0] is Monday (digit 1) ... [6] is Sunday (digit 7).
using WeekChecks = std::array<bool, 7>;
inline constexpr const char16_t* kWeekBoxTexts[7] = {u"周一", u"周二", u"周三", u"周四",
                                                     u"周五", u"周六", u"周日"};

// Entries of the hour list, "00" to "23", and of the minute list, "00", "05" ... "55".
const std::vector<std::u16string>& HourTexts();
const std::vector<std::u16string>& MinuteTexts();

// "不循环" when no box is checked, otherwise "周" and the digits of the checked days, ascending.
std::u16string BuildCycle(const WeekChecks& week);

// Hour text, ":", minute text. Nothing (the dialog stays as it is) unless both texts are
// entries of their lists, so an empty pick or anything typed never becomes a time text.
std::optional<std::u16string> BuildTime(std::u16string_view hour, std::u16string_view minute);

// The reminder text as stored: the text itself (without halves of line breaks or surrogate
// pairs), or "无" when it is empty.
std::u16string InfoOrDefault(std::u16string_view info);

// What "创建" hands on: the three texts of the task, or nothing when the hour or the minute
// is missing. The done mark is never part of the result, so an edit re-arms its task.
std::optional<Task> BuildTask(std::u16string_view hour, std::u16string_view minute,
                              const WeekChecks& week, std::u16string_view info);

// The counter below the reminder text: "N/80 字" with N = 80 - length. A text longer than 80
// (only a hand-edited file can supply one) shows a negative N: how much the user must cut.
std::u16string CounterText(std::size_t length);

// Whether a character typed into the reminder text reaches the box: Backspace (8) always,
// any key that replaces a selection at least as long as what it puts in, otherwise only
// while what it puts in fits below maxLength. Enter puts in two units (CR LF), the first half
// of a surrogate pair too: each fits whole or not at all.
bool KeyPasses(unsigned charCode, std::size_t selectionLength, std::size_t textLength,
               std::size_t maxLength);

// The part of a pasted text that fits into `room` units, never ending in half a line break
// or half a surrogate pair.
std::u16string FitInsertion(std::u16string_view text, std::size_t room);

// The text without a CR that no LF follows, or half a surrogate pair.
std::u16string WithoutLoneBreakHalves(std::u16string_view text);

// What "编辑" puts into the dialog for one task. Every control gets a value, so nothing of a
// task shown before survives (all seven boxes are set, unchecked ones included).
struct EditFill {
  int hour = kNoPick;    // index into HourTexts()
  int minute = kNoPick;  // index into MinuteTexts()
  WeekChecks week{};
  std::u16string info;
};

// Reads a task's texts: the first five characters of the time split at ":" (this drops the
// done mark), and the weekday digits of the cycle. A hand-edited task never fails: an hour or
// minute that is not a list entry stays unpicked, characters other than 1-7 are skipped.
EditFill FillFromTask(const Task& task);

}  // namespace tavik
