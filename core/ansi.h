// Text <-> bytes for everything the program stores or receives as bytes: the data file's
// records, the update document and the update script. The byte form is GBK (code page 936)
// whatever the system's own locale, so a data file reads the same everywhere. A character
// GBK cannot hold is written as its GB18030 four-byte sequence instead of turning into "?".
#pragma once

#include <string>
#include <string_view>

namespace tavik {

// UTF-16 text -> GBK bytes (GB18030 four-byte sequences for characters outside GBK).
std::string ToAnsi(std::u16string_view text);

// GBK/GB18030 bytes -> UTF-16 text. Total: a sequence that decodes to nothing becomes U+FFFD.
std::u16string FromAnsi(std::string_view bytes);

// Texts the program builds from ASCII.
std::u16string Ascii(std::string_view ascii);

namespace detail {
// Platform halves (iconv on Linux, the code-page API on Windows), one code point at a time.
// The bytes of one code point in GBK, else in GB18030; empty when neither can hold it.
std::string EncodeCodePoint(char32_t cp);
// The code point of one two-byte GBK or four-byte GB18030 sequence; U+FFFD when invalid.
char32_t DecodeSequence(std::string_view seq);
}  // namespace detail

}  // namespace tavik
