// The program's text codec and key lookup. Records in the data file and the update
// document depend on these bit for bit.
#pragma once

#include <string>
#include <string_view>

namespace tavik {

// Mode 1 encodes, 0 decodes, anything else gives "". Standard Base64 over the text's GBK
// bytes with the case of every ASCII letter swapped. Decoding is tolerant: it stops at the
// first "=", accepts missing padding, and reads any character outside the alphabet as 63.
std::u16string Base64(short mode, std::u16string_view text);

// Byte-level halves of Base64(), for callers that hold bytes already.
std::string EncodeBytes(std::string_view bytes);
std::string DecodeBytes(std::string_view encoded);

// The text after the first occurrence of key, up to the next separator; "" when the key or
// a closing separator is missing. An empty key gives the text before the first separator.
std::u16string GetKeyValue(std::u16string_view text, std::u16string_view key,
                           std::u16string_view separator);

}  // namespace tavik
