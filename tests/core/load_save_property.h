// The properties the load and the save keep for any file whatsoever: the start reads a list,
// the save writes it back in the file's own encoding, and the next start reads the same list;
// a second save changes no byte; and every line that is not the list's stays as it was. And
// the recovery's: a sealed copy comes back whole, and no cut of it is taken. Shared by the
// seeded tests and the fuzzer.
#pragma once

#include <string>
#include <string_view>

#include "core/ansi.h"
#include "core/data_file_text.h"
#include "core/ini_file.h"
#include "core/task_data.h"

namespace tavik::test {

// The lines a save must keep: all but the "Data" sections' headers and the list's lines.
inline std::string UsersLines(std::string_view text) {
  std::string kept;
  IniLines lines(text);
  kept.append(lines.bom());
  while (lines.Next())
    if (!lines.InSection(kDataSection) || (!lines.header() && !IsListLine(lines.text()))) kept.append(lines.raw());
  return kept;
}

// "" when the property holds for the file, otherwise what went wrong.
inline std::string LoadSaveBreaks(std::string_view file) {
  const FileText text = DecodeFileText(std::string(file));
  if (EncodeFileText(text.encoding, text.text, text.oddByte) != file) return "the file does not come back whole";
  const std::vector<Task> loaded = ReadTasks(text.text);
  if (loaded.size() > static_cast<size_t>(kMaxTasks)) return "more than five tasks";
  const std::string value = ToAnsi(SerializeTasks(loaded));
  const std::string saved = EncodeFileText(text.encoding, WithDataValue(text.text, value), text.oddByte);
  const FileText again = DecodeFileText(std::string(saved));
  if (again.encoding != text.encoding) return "the save changed the encoding";
  if (ReadTasks(again.text) != loaded) return "the next start reads another list";
  if (EncodeFileText(again.encoding, WithDataValue(again.text, value), again.oddByte) != saved)
    return "a second save changes the file";
  const std::string before = UsersLines(text.text), after = UsersLines(again.text);
  // A file whose last line has no line end gets one before an appended section.
  if (after != before && after != before + "\r\n") return "the save changed a line that is not the list's";
  return {};
}

// True when a piece of `content`, from its start, is a sealed copy itself: a line forged to be
// the seal of everything above it. A cut right after it is a whole copy of that piece.
inline bool HoldsASealedCopy(std::string_view content) {
  for (size_t cut = 0; cut < content.size(); ++cut)
    if (content[cut] == '\n' && Unsealed(content.substr(0, cut + 1))) return true;
  return false;
}

// "" when recovery keeps its promise for a copy of `content`: the whole sealed copy gives it
// back, no shorter piece of it is taken (unless the content holds a sealed copy of a piece of
// itself), and whatever `content` itself is taken as is sealed.
inline std::string RecoveryBreaks(std::string_view content) {
  const std::string copy = std::string(content) + SealOf(content);
  const auto whole = Unsealed(copy);
  if (!whole || *whole != content) return "a sealed copy is not taken whole";
  for (size_t cut = 0; cut < copy.size() && !HoldsASealedCopy(content); ++cut)
    if (Unsealed(std::string_view(copy).substr(0, cut))) return "a cut copy is taken: " + std::to_string(cut);
  if (const auto taken = Unsealed(content); taken && std::string(*taken) + SealOf(*taken) != content)
    return "a copy is taken that its seal does not match";
  return {};
}

}  // namespace tavik::test
