// The program's text codec and key lookup. Records in the data file and the update
// document depend on these bit for bit.
#pragma once

#include <string>
#include <string_view>

namespace tavik {

// Mode 1 encodes, 0 decodes, anything else gives "". Standard Base64 over the text's GBK
// bytes with the case of every ASCII letter swapped. Decoding is tolerant: it stops at the
// first "=", accepts missing padding, and reads any byte outside the alphabet as 63. It
// swaps the case of the text's characters, then decodes the GBK bytes of the swapped text in
// groups of four, for as many characters as stand in front of the first "=".
std::u16string Base64(short mode, std::u16string_view text);

// Byte-level halves of Base64(), for callers that hold bytes already. DecodeBytes equals
// mode 0 for ASCII input; for other input only Base64() follows the codec's steps.
std::string EncodeBytes(std::string_view bytes);
std::string DecodeBytes(std::string_view encoded);

// The text after the first occurrence of key, up to the next separator; "" when the key or
// a closing separator is missing. An empty key gives the text before the first separator.
std::u16string GetKeyValue(std::u16string_view text, std::u16string_view key,
                           std::u16string_view separator);

}  // namespace tavik
