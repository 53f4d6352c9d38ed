// What the reminder popup shows: every reminder that rang since it opened, oldest first, so a
// task that falls due while another still rings never hides it.
#pragma once

#include <cstddef>
#include <vector>
#include <string>

namespace tavik {

class ReminderList {
 public:
  // A machine left alone for days: five tasks ring at most five times a day, and the oldest
  // beyond this are left out (the box says how many).
  static constexpr std::size_t kMaxKept = 100;

  void Add(std::u16string time, std::u16string text);
  void Clear();
  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }
  std::size_t leftOut() const { return leftOut_; }

  // The large time label: the newest reminder's time.
  std::u16string TimeText() const;
  // The text box: one reminder's text alone; several one a line, each with its time, the
  // newest at the bottom.
  std::u16string BoxText() const;
  // What a screen reader says as it rings: the newest reminder's time and text.
  std::u16string Announcement() const;

 private:
  struct Entry {
    std::u16string time, text;
  };
  std::vector<Entry> entries_;
  std::size_t leftOut_ = 0;
};

}  // namespace tavik
