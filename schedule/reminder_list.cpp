#include "schedule/reminder_list.h"

namespace tavik {
namespace {

// A stored text might hold line breaks of its own; in the list each reminder keeps to its line.
std::u16string OneLine(const std::u16string& text) {
  std::u16string line;
  line.reserve(text.size());
  for (char16_t c : text) {
    if (c == u'\r') continue;
    line += c == u'\n' ? u' ' : c;
  }
  return line;
}

std::u16string Number(std::size_t n) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + n % 10));
    n /= 10;
  } while (n);
  return digits;
}

}  // namespace

void ReminderList::Add(std::u16string time, std::u16string text) {
  entries_.push_back({std::move(time), std::move(text)});
  if (entries_.size() > kMaxKept) {
    entries_.erase(entries_.begin());
    ++leftOut_;
  }
}

void ReminderList::Clear() {
  entries_.clear();
  leftOut_ = 0;
}

std::u16string ReminderList::TimeText() const { return entries_.empty() ? std::u16string() : entries_.back().time; }

std::u16string ReminderList::BoxText() const {
  if (entries_.empty()) return {};
  if (entries_.size() == 1 && leftOut_ == 0) return entries_.front().text;
  std::u16string box;
  if (leftOut_ > 0) box = u"（更早的 " + Number(leftOut_) + u" 条提醒未列出）";
  for (const Entry& e : entries_) {
    if (!box.empty()) box += u"\r\n";
    box += e.time + u"  " + OneLine(e.text);
  }
  return box;
}

std::u16string ReminderList::Announcement() const {
  if (entries_.empty()) return {};
  const Entry& e = entries_.back();
  return e.text.empty() ? e.time : e.time + u" " + e.text;
}

}  // namespace tavik
