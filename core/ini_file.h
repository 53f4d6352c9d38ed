// Rewriting one section of an INI text while every other byte stays as it was. The data file
// is rewritten whole through this, then swapped in atomically, so no crash can cost a task.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavik {

// Removes every section named `name` (case-insensitive, as the Windows profile functions
// compare). With a body, "[name]" CR LF body takes the place of the first one removed, or is
// appended at the end when there was none. Other sections and lines are kept byte for byte.
// `body` is whole lines, each ended by CR LF.
std::string ReplaceSection(std::string_view file, std::string_view name,
                           std::optional<std::string_view> body);

// The data file after saving `value` as key "Data" of section "Data".
std::string WithDataValue(std::string_view file, std::string_view value);

}  // namespace tavik
