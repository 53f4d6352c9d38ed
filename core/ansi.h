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
// A two-byte code on which code page 936 (a private-use character) and GB18030-2005 (a real
// character, stored here under a four-byte code instead) disagree; generated.
struct MovedCode {
  char16_t privateUse;
  unsigned short code;
  char16_t moved;  // 0: nothing to move
  unsigned index;  // the four-byte index the moved character is stored under
};
// Code page 936's private-use character at such a code, and the other way round; 0 for none.
char16_t MovedPrivateUse(unsigned code);
unsigned MovedCodeOf(char16_t privateUse);

// The platform's GBK table (iconv on Linux, code page 936 on Windows), one character at a time.
// The GBK bytes of a BMP character: one byte (0x80, the euro sign) or a lead byte 0x81-0xFE
// and a trail byte; empty when GBK cannot hold it.
std::string EncodeGbk(char16_t ch);
// The character of a two-byte GBK sequence; U+FFFD when it is not one.
char16_t DecodeGbk(unsigned char lead, unsigned char trail);
}  // namespace detail

}  // namespace tavik
