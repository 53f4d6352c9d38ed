#include "editing/task_form.h"

#include <algorithm>

namespace tavik {
namespace {

std::u16string TwoDigits(int n) {
  return {static_cast<char16_t>(u'0' + n / 10), static_cast<char16_t>(u'0' + n % 10)};
}

std::vector<std::u16string> CountTexts(int last, int step) {
  std::vector<std::u16string> texts;
  for (int n = 0; n <= last; n += step) texts.push_back(TwoDigits(n));
  return texts;
}

int IndexIn(const std::vector<std::u16string>& list, std::u16string_view text) {
  const auto it = std::find(list.begin(), list.end(), text);
  return it == list.end() ? kNoPick : static_cast<int>(it - list.begin());
}

std::u16string Decimal(long long n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

const std::vector<std::u16string>& HourTexts() {
  static const std::vector<std::u16string> hours = CountTexts(23, 1);
  return hours;
}

const std::vector<std::u16string>& MinuteTexts() {
  static const std::vector<std::u16string> minutes = CountTexts(55, 5);
  return minutes;
}

std::u16string BuildCycle(const WeekChecks& week) {
  std::u16string digits;
  for (std::size_t i = 0; i < week.size(); ++i) {
    if (week[i]) digits += static_cast<char16_t>(u'1' + i);
  }
  return digits.empty() ? std::u16string(kNoRepeat) : u"周" + digits;
}

std::optional<std::u16string> BuildTime(std::u16string_view hour, std::u16string_view minute) {
  if (IndexIn(HourTexts(), hour) == kNoPick || IndexIn(MinuteTexts(), minute) == kNoPick) {
    return std::nullopt;
  }
  std::u16string time(hour);
  time += u':';
  time += minute;
  return time;
}

std::u16string InfoOrDefault(std::u16string_view info) {
  return info.empty() ? std::u16string(kNoInfo) : std::u16string(info);
}

std::optional<Task> BuildTask(std::u16string_view hour, std::u16string_view minute,
                              const WeekChecks& week, std::u16string_view info) {
  std::optional<std::u16string> time = BuildTime(hour, minute);
  if (!time) return std::nullopt;
  return Task{std::move(*time), BuildCycle(week), InfoOrDefault(info)};
}

std::u16string CounterText(std::size_t length) {
  const long long left =
      static_cast<long long>(kMaxInfoLength) - static_cast<long long>(length);
  return Decimal(left) + u"/" + Decimal(static_cast<long long>(kMaxInfoLength)) + u" 字";
}

bool KeyPasses(unsigned charCode, std::size_t selectionLength, std::size_t textLength,
               std::size_t maxLength) {
  if (charCode == 8) return true;
  if (selectionLength > 0) return true;
  return textLength < maxLength;
}

EditFill FillFromTask(const Task& task) {
  EditFill fill;

  const std::u16string_view head = std::u16string_view(task.time).substr(0, 5);
  const std::size_t colon = head.find(u':');
  if (colon != std::u16string_view::npos) {
    fill.hour = IndexIn(HourTexts(), head.substr(0, colon));
    fill.minute = IndexIn(MinuteTexts(), head.substr(colon + 1));
  }

  // "不循环" holds no digit; "周" and anything else but 1-7 is skipped.
  for (const char16_t c : task.cycle) {
    if (c >= u'1' && c <= u'7') fill.week[c - u'1'] = true;
  }

  fill.info = task.info;
  return fill;
}

bool DeleteTask(std::vector<Task>& tasks, int row) {
  if (row < 1 || static_cast<std::size_t>(row) > tasks.size()) return false;
  tasks.erase(tasks.begin() + (row - 1));
  return true;
}

}  // namespace tavik
