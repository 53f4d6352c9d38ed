#include "core/task_data.h"

#include "core/ansi.h"
#include "core/codec.h"

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

bool DecodeRecord(std::u16string_view record, Task& out) {
  const std::u16string fields = Base64(0, record);
  const size_t first = fields.find(u';');
  if (first == std::u16string::npos) return false;
  const size_t second = fields.find(u';', first + 1);
  if (second == std::u16string::npos) return false;
  out.time = fields.substr(0, first);
  out.cycle = fields.substr(first + 1, second - first - 1);
  out.info = fields.substr(second + 1);  // a ";" inside the reminder text stays in it
  return true;
}

std::vector<DataLine> ReadDataLines(std::string_view fileBytes) {
  static constexpr std::string_view kKey = "Data=";
  std::vector<DataLine> lines;
  size_t pos = 0;
  while (pos < fileBytes.size()) {
    size_t end = fileBytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = fileBytes.size();
    std::string line(fileBytes.substr(pos, end - pos));
    // A line ends at CR LF, a lone CR or a lone LF.
    pos = end;
    if (pos < fileBytes.size() && fileBytes[pos] == '\r') ++pos;
    if (pos < fileBytes.size() && fileBytes[pos] == '\n') ++pos;

    if (line.empty() || line.back() != ',') continue;
    for (size_t at; (at = line.find(kKey)) != std::string::npos;) line.erase(at, kKey.size());
    if (line.size() < 2) continue;

    DataLine tasks;
    size_t start = 0;
    for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1) {
      Task task;
      if (DecodeRecord(FromAnsi(line.substr(start, comma - start)), task))
        tasks.push_back(std::move(task));
    }
    lines.push_back(std::move(tasks));
  }
  return lines;
}

}  // namespace tavik
