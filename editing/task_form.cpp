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
  const std::u16string whole = WithoutLoneBreakHalves(info);
  return whole.empty() ? std::u16string(kNoInfo) : whole;
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
  // Enter puts CR LF into the box, and the first half of a surrogate pair brings the second:
  // either fits whole or not at all.
  const std::size_t needed = (charCode == u'\r' || (charCode >= 0xD800 && charCode <= 0xDBFF)) ? 2 : 1;
  if (selectionLength >= needed) return true;
  return textLength - std::min(selectionLength, textLength) + needed <= maxLength;
}

std::u16string FitInsertion(std::u16string_view text, std::size_t room) {
  if (text.size() > room) {
    text = text.substr(0, room);
    // Never the first half of a line break or of a surrogate pair.
    if (!text.empty() && (text.back() == u'\r' || (text.back() >= 0xD800 && text.back() <= 0xDBFF)))
      text.remove_suffix(1);
  }
  return std::u16string(text);
}

std::u16string WithoutLoneBreakHalves(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool next = i + 1 < text.size();
    if (c == u'\r' && !(next && text[i + 1] == u'\n')) continue;
    if (c >= 0xD800 && c <= 0xDBFF && !(next && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)) continue;
    if (c >= 0xDC00 && c <= 0xDFFF && !(i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF)) continue;
    out += c;
  }
  return out;
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

}  // namespace tavik
