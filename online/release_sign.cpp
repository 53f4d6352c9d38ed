#include "online/release_sign.h"

#include <cstring>

namespace tavik {
namespace {

// One digit of Base64; the document's variant has the letters' case swapped.
int Digit(char c, bool variant) {
  if (variant && c >= 'a' && c <= 'z') return c - 'a';
  if (variant && c >= 'A' && c <= 'Z') return c - 'A' + 26;
  if (!variant && c >= 'A' && c <= 'Z') return c - 'A';
  if (!variant && c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Exactly size bytes as padded Base64 and nothing else: the codec's own decoder forgives
// stray characters, which a signature or a key may not hold. A last digit with bits beyond
// the data is refused too, so each byte string has one text only.
bool DecodeExactly(std::string_view text, bool variant, unsigned char* out, std::size_t size) {
  if (text.size() != (size + 2) / 3 * 4) return false;
  const std::size_t digits = text.size() - (3 - size % 3) % 3;
  unsigned bits = 0;
  int count = 0;
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i >= digits) {
      if (text[i] != '=') return false;
      continue;
    }
    const int d = Digit(text[i], variant);
    if (d < 0) return false;
    bits = (bits << 6 | static_cast<unsigned>(d)) & 0xFFFFu;
    count += 6;
    if (count >= 8) {
      count -= 8;
      out[n++] = static_cast<unsigned char>(bits >> count);
    }
  }
  return n == size && (bits & ((1u << count) - 1)) == 0;
}

}  // namespace

std::string ReleaseSignedPrefix(std::u16string_view version) {
  std::string prefix(kReleaseSignatureContext, sizeof kReleaseSignatureContext);  // with its NUL
  const std::size_t length = version.size() * 2;
  for (int i = 0; i < 4; ++i) prefix += static_cast<char>(length >> (8 * i) & 0xFF);
  for (const char16_t c : version) {
    prefix += static_cast<char>(c & 0xFF);
    prefix += static_cast<char>(c >> 8);
  }
  return prefix;
}

bool ParseReleaseSignature(std::u16string_view text, ReleaseSignature* signature) {
  char ascii[(sizeof(ReleaseSignature) + 2) / 3 * 4];
  if (text.size() != sizeof ascii) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] >= 0x80) return false;
    ascii[i] = static_cast<char>(text[i]);
  }
  return DecodeExactly(std::string_view(ascii, sizeof ascii), true, signature->data(), signature->size());
}

bool ParsePublicKeyFile(std::string_view text, UpdateKey* key) {
  const std::size_t begin = text.find(kPublicKeyBegin);
  if (begin == std::string_view::npos) return false;
  std::string_view rest = text.substr(begin + sizeof kPublicKeyBegin - 1);
  const std::size_t end = rest.find(kPublicKeyEnd);
  if (end == std::string_view::npos) return false;
  std::string body;  // standard Base64
  for (const char c : rest.substr(0, end)) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') body += c;
  }
  unsigned char der[sizeof kP256KeyInfo + sizeof(UpdateKey)];
  if (!DecodeExactly(body, false, der, sizeof der)) return false;
  if (std::memcmp(der, kP256KeyInfo, sizeof kP256KeyInfo) != 0) return false;
  std::memcpy(key->data(), der + sizeof kP256KeyInfo, key->size());
  return true;
}

}  // namespace tavik
