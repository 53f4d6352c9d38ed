// The running program's version and the order in which the update check compares versions.
#pragma once

#include <string_view>

#include "core/title.h"

namespace tavik {

// True when a sorts before b. Versions are compared as plain text, code unit by code unit,
// a text that is a prefix of a longer one sorting first; they are never split into numbers:
//   "0.5.1" before "0.5.2", "0.5.10" (prefix), "0.6", "1";
//   "0.5.1" after  "0.10" ('1' < '5'), "0.5.01" ('0' < '1'), "0.5", "".
// The update site relies on this order when it sets its minimum version.
bool VersionBefore(std::u16string_view a, std::u16string_view b) noexcept;

}  // namespace tavik
