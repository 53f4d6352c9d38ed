// Web addresses as the HTTP layer follows them.
#pragma once

#include <string>
#include <string_view>

namespace tavik {

// Whether text starts with prefix, ASCII letters compared without case.
bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) noexcept;

// Where a redirect's Location leads from the address `base`: an absolute http or https address
// as it stands, "//host/..." with base's scheme, "/path" on base's host, anything else beside
// base's last "/". "" when base is no http(s) address or the location is empty or holds a
// control character. The result is checked like any release address before it is followed.
std::u16string ResolveAddress(std::u16string_view base, std::u16string_view location);

}  // namespace tavik
