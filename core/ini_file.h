// Reading and rewriting the data file's INI text. The load and the rewrite see the same lines
// and sections through IniLines, so whatever the load reads as the task list is exactly what
// the rewrite replaces; every other line stays as it was. The file is rewritten whole and
// swapped in atomically, so no crash can cost a task.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavik {

// An editor's UTF-8 byte-order mark: read past at the start of the file and kept on write.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

inline constexpr std::string_view kDataSection = "Data";
inline constexpr std::string_view kDataKey = "Data=";

// Section names compare without case, as the Windows profile functions compare them.
bool SameSectionName(std::string_view a, std::string_view b);

// The lines of an INI text, in order. A line ends at LF; a CR right before the LF belongs to
// the line end, any other CR to the line. A leading byte-order mark belongs to no line.
class IniLines {
 public:
  explicit IniLines(std::string_view file);

  // Moves to the next line; false when there is none.
  bool Next();

  std::string_view bom() const { return bom_; }  // the byte-order mark, or ""
  std::string_view text() const { return text_; }  // the line without its line end
  std::string_view raw() const { return raw_; }    // the line with it
  bool header() const { return header_; }          // a "[name]" line
  // The section the line belongs to ("" before the first header); a header's own name.
  std::string_view section() const { return section_; }
  bool InSection(std::string_view name) const { return inSection_ && SameSectionName(section_, name); }

 private:
  std::string_view rest_, bom_, text_, raw_, section_;
  bool header_ = false;
  bool inSection_ = false;
};

bool HasSection(std::string_view file, std::string_view name);

// Removes every section named `name`. With a body, "[name]" CR LF body takes the place of the
// first one removed, or is appended at the end when there was none. Other sections and lines,
// and a leading byte-order mark, are kept byte for byte. `body` is whole lines, each ended by
// CR LF.
std::string ReplaceSection(std::string_view file, std::string_view name,
                           std::optional<std::string_view> body);

// The lines of a "Data" section that belong to the list: those the load reads records from
// (ending in ",") and the key "Data" itself. Every other line there is the user's.
bool IsListLine(std::string_view text);

// The data file after saving `value` as key "Data" of section "Data": the list's lines give
// way to one "Data=" line, standing where the first of them stood (or right under the
// section's header), and every other line of the section is kept. A later "Data" section
// keeps its header only while it still holds a line of the user's.
std::string WithDataValue(std::string_view file, std::string_view value);

}  // namespace tavik
