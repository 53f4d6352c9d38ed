#include "core/task_data.h"

#include "core/ansi.h"
#include "core/codec.h"
#include "core/ini_file.h"

namespace tavik {

std::u16string GetData(const Task& task) {
  std::u16string joined;
  joined.reserve(task.time.size() + task.cycle.size() + task.info.size() + 2);
  joined += task.time;
  joined += u';';
  joined += task.cycle;
  joined += u';';
  joined += task.info;
  std::u16string record = Base64(1, joined);
  record += u',';
  return record;
}

std::u16string SerializeTasks(const std::vector<Task>& tasks) {
  std::u16string value;
  for (const Task& task : tasks) value += GetData(task);
  return value;
}

namespace {

// The decoded record becomes the reminder text in place: a text of megabytes is not copied.
bool SplitFields(std::u16string&& fields, Task& out) {
  const size_t first = fields.find(u';');
  if (first == std::u16string::npos) return false;
  const size_t second = fields.find(u';', first + 1);
  if (second == std::u16string::npos) return false;
  out.time = fields.substr(0, first);
  out.cycle = fields.substr(first + 1, second - first - 1);
  fields.erase(0, second + 1);  // a ";" inside the reminder text stays in it
  out.info = std::move(fields);
  return true;
}

// A record as the file holds it. The records the program writes are ASCII, whose characters
// are their bytes: decoded as bytes, a record of megabytes costs no copies as text.
bool DecodeStoredRecord(std::string_view bytes, Task& out) {
  for (const char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return SplitFields(Base64(0, FromAnsi(bytes)), out);
  return SplitFields(FromAnsi(DecodeBytes(bytes)), out);
}

}  // namespace

bool DecodeRecord(std::u16string_view record, Task& out) { return SplitFields(Base64(0, record), out); }

std::vector<Task> ReadTasks(std::string_view fileBytes, std::size_t limit) {
  std::vector<Task> tasks;
  IniLines lines(fileBytes);
  while (tasks.size() < limit && lines.Next()) {
    if (!lines.InSection(kDataSection) || lines.header()) continue;
    std::string_view line = lines.text();
    if (line.empty() || line.back() != ',') continue;
    if (line.substr(0, kDataKey.size()) == kDataKey) line.remove_prefix(kDataKey.size());
    if (line.size() < 2) continue;
    for (size_t start = 0, comma; tasks.size() < limit && (comma = line.find(',', start)) != line.npos;
         start = comma + 1) {
      Task task;
      if (DecodeStoredRecord(line.substr(start, comma - start), task)) tasks.push_back(std::move(task));
    }
  }
  return tasks;
}

}  // namespace tavik
