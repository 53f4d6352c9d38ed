// The version a Windows program states of itself: the text of its version resource, read from
// the file's bytes on any system, so the publisher can tell a release from its --version.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavik {

// The "ProductVersion" text of the first version resource (else its "FileVersion"), as the
// program's .rc writes it ("0.5.2"). Nothing when the bytes are no PE file (32- or 64-bit),
// carry no version resource, or are cut or malformed anywhere on the way to it.
std::optional<std::u16string> ProgramVersionOf(std::string_view file);

}  // namespace tavik
