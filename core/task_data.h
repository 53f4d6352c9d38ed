// A task's three texts, its one-line record, and the data file's "Data" value.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tavik {

inline constexpr int kMaxTasks = 5;
inline constexpr char16_t kNoRepeat[] = u"不循环";    // cycle text of a one-off task
inline constexpr char16_t kDoneMark[] = u" (已完成)";  // appended to the time text once fired

// The three texts of one task, exactly as its row shows them (done mark included).
struct Task {
  std::u16string time;   // "08:30", or "08:30 (已完成)" once fired
  std::u16string cycle;  // "不循环" or "周" + ascending weekday digits 1..7
  std::u16string info;   // reminder text, at most 80 characters

  bool operator==(const Task& o) const {
    return time == o.time && cycle == o.cycle && info == o.info;
  }
};

// One record: Base64 of "time;cycle;info" followed by ",".
std::u16string GetData(const Task& task);

// The "Data" value for a whole list: the records one after another.
std::u16string SerializeTasks(const std::vector<Task>& tasks);

// Decodes one record (without its ","). A reminder text that holds ";" comes back whole:
// everything after the second ";" is the text. False when fewer than three fields decode.
bool DecodeRecord(std::u16string_view record, Task& out);

// The stored tasks, in file order, as the start-up load reads them: from the lines of the
// "Data" section that end in "," (the key "Data=" taken off the start of a line, lines
// shorter than 2 characters skipped), damaged records skipped, at most `limit` of them.
// Lines outside the section are never tasks: the save keeps them as they are.
std::vector<Task> ReadTasks(std::string_view fileBytes, std::size_t limit = kMaxTasks);

}  // namespace tavik
