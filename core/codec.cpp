#include "core/codec.h"

#include <algorithm>

#include "core/ansi.h"

namespace tavik {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

template <typename Char>
Char SwapCase(Char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<Char>(c + 32);
  if (c >= 'a' && c <= 'z') return static_cast<Char>(c - 32);
  return c;
}

// Position in the alphabet; anything else (padding, line breaks, blanks) reads as 63.
unsigned SixBits(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  return 63;
}

}  // namespace

std::string EncodeBytes(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const unsigned n = static_cast<unsigned char>(bytes[i]) << 16 |
                       static_cast<unsigned char>(bytes[i + 1]) << 8 |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[n >> 18 & 63];
    out += kAlphabet[n >> 12 & 63];
    out += kAlphabet[n >> 6 & 63];
    out += kAlphabet[n & 63];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
    if (rest == 2) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kAlphabet[n >> 18 & 63];
    out += kAlphabet[n >> 12 & 63];
    out += rest == 2 ? kAlphabet[n >> 6 & 63] : '=';
    out += '=';
  }
  for (char& c : out) c = SwapCase(c);
  return out;
}

namespace {

// Step 4 of decoding: the case-swapped input bytes in groups of four from offset 0 for every
// offset below `len`, into floor(3 * len / 4) bytes. `len` counts the characters in front of
// the first "=", which is the number of bytes only for ASCII input.
std::string DecodeGroups(std::string_view in, size_t len) {
  const size_t outLen = 3 * len / 4;
  std::string out(outLen, '\0');
  for (size_t k = 0, off = 0; off < len; ++k, off += 4) {
    unsigned n = 0;
    for (size_t j = 0; j < 4; ++j) {
      const size_t pos = off + j;
      const unsigned v = pos < in.size() ? SixBits(static_cast<unsigned char>(in[pos])) : 0;
      n = n << 6 | v;
    }
    for (size_t b = 0; b < 3; ++b) {
      const size_t at = 3 * k + b;
      if (at < outLen) out[at] = static_cast<char>(n >> (16 - 8 * b) & 0xFF);
    }
  }
  return out;
}

}  // namespace

std::string DecodeBytes(std::string_view encoded) {
  std::string in(encoded);
  for (char& c : in) c = SwapCase(c);
  return DecodeGroups(in, std::min(in.find('='), in.size()));
}

std::u16string Base64(short mode, std::u16string_view text) {
  switch (mode) {
    case 1: {
      const std::string encoded = EncodeBytes(ToAnsi(text));
      return std::u16string(encoded.begin(), encoded.end());
    }
    case 0: {
      // The case is swapped on the characters, and the length is counted in characters in
      // front of the first "=", before the text becomes bytes: a GBK trail byte that looks
      // like a letter keeps its value, and a Chinese character counts once.
      std::u16string swapped(text);
      for (char16_t& c : swapped) c = SwapCase(c);
      const size_t len = std::min(swapped.find(u'='), swapped.size());
      return FromAnsi(DecodeGroups(ToAnsi(swapped), len));
    }
    default:
      return {};
  }
}

std::u16string GetKeyValue(std::u16string_view text, std::u16string_view key,
                           std::u16string_view separator) {
  if (key.empty()) {
    const size_t sep = text.find(separator);
    return sep == std::u16string_view::npos ? std::u16string() : std::u16string(text.substr(0, sep));
  }
  const size_t at = text.find(key);
  if (at == std::u16string_view::npos) return {};
  std::u16string_view rest = text.substr(at + key.size());
  rest = rest.substr(0, rest.find(key));
  const size_t sep = separator.empty() ? std::u16string_view::npos : rest.find(separator);
  if (sep == std::u16string_view::npos) return {};
  return std::u16string(rest.substr(0, sep));
}

}  // namespace tavik
