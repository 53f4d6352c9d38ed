// The program's title and its one version constant: the caption, the tray tip, the panel
// title, message boxes, the HTTP User-Agent and the update decisions all use these.
#pragma once

#include <string>

#include "tavik_version.h"

namespace tavik {

inline constexpr char16_t kProgramTitle[] = u"Tavik";
inline constexpr char16_t kProgramVersion[] = u"" TAVIK_VERSION;

// "Tavik 0.5.1": the tray tip and the User-Agent of the program's own requests.
inline std::u16string TitleAndVersion() {
  return std::u16string(kProgramTitle) + u" " + kProgramVersion;
}

}  // namespace tavik
