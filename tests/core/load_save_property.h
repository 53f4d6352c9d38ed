// The property the load and the save keep for any file whatsoever: the start reads a list,
// the save writes it back, and the next start reads the same list; a second save changes no
// byte; and everything outside the "Data" section stays as it was. Shared by the seeded test
// and the fuzzer.
#pragma once

#include <string>
#include <string_view>

#include "core/ansi.h"
#include "core/ini_file.h"
#include "core/task_data.h"

namespace tavik::test {

// "" when the property holds for the file, otherwise what went wrong.
inline std::string LoadSaveBreaks(std::string_view file) {
  const std::vector<Task> loaded = ReadTasks(file);
  if (loaded.size() > static_cast<size_t>(kMaxTasks)) return "more than five tasks";
  const std::string saved = WithDataValue(file, ToAnsi(SerializeTasks(loaded)));
  if (ReadTasks(saved) != loaded) return "the next start reads another list";
  if (WithDataValue(saved, ToAnsi(SerializeTasks(loaded))) != saved) return "a second save changes the file";
  std::string before = ReplaceSection(file, kDataSection, std::nullopt);
  const std::string after = ReplaceSection(saved, kDataSection, std::nullopt);
  // A file whose last line has no line end gets one before an appended section.
  if (after != before && after != before + "\r\n") return "the save changed what lies outside the list";
  return {};
}

}  // namespace tavik::test
