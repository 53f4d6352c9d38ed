#include "online/version.h"

namespace tavik {

bool VersionBefore(std::u16string_view a, std::u16string_view b) noexcept {
  // std::u16string_view compares code units as unsigned values, a prefix first.
  return a.compare(b) < 0;
}

}  // namespace tavik
