#include "online/release_sign.h"

#include <cstring>

#include "core/codec.h"

namespace tavik {
namespace {

// SubjectPublicKeyInfo of id-ecPublicKey on prime256v1, up to the uncompressed point's 0x04.
constexpr unsigned char kP256KeyInfo[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2A, 0x86, 0x48,
                                          0xCE, 0x3D, 0x02, 0x01, 0x06, 0x08, 0x2A, 0x86, 0x48,
                                          0xCE, 0x3D, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};

constexpr char kPemBegin[] = "-----BEGIN PUBLIC KEY-----";
constexpr char kPemEnd[] = "-----END PUBLIC KEY-----";

char SwapCase(char c) {
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 32);
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c + 32);
  return c;
}

// The codec's decoder is forgiving (it reads any stray character as a digit); a text counts
// here only when encoding its bytes again gives the very same text.
bool DecodeExactly(std::string_view variantText, std::string* bytes) {
  *bytes = DecodeBytes(variantText);
  return !variantText.empty() && EncodeBytes(*bytes) == variantText;
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

std::u16string ReleaseSignatureText(const ReleaseSignature& signature) {
  const std::string text =
      EncodeBytes(std::string_view(reinterpret_cast<const char*>(signature.data()), signature.size()));
  return std::u16string(text.begin(), text.end());
}

bool ParseReleaseSignature(std::u16string_view text, ReleaseSignature* signature) {
  std::string ascii;
  for (const char16_t c : text) {
    if (c >= 0x80) return false;
    ascii += static_cast<char>(c);
  }
  std::string bytes;
  if (!DecodeExactly(ascii, &bytes) || bytes.size() != signature->size()) return false;
  std::memcpy(signature->data(), bytes.data(), bytes.size());
  return true;
}

bool ParsePublicKeyFile(std::string_view text, UpdateKey* key) {
  const std::size_t begin = text.find(kPemBegin);
  if (begin == std::string_view::npos) return false;
  std::string_view rest = text.substr(begin + sizeof kPemBegin - 1);
  const std::size_t end = rest.find(kPemEnd);
  if (end == std::string_view::npos) return false;
  std::string body;  // standard Base64, turned into the codec's variant
  for (const char c : rest.substr(0, end)) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    body += SwapCase(c);
  }
  std::string der;
  if (!DecodeExactly(body, &der) || der.size() != sizeof kP256KeyInfo + key->size()) return false;
  if (std::memcmp(der.data(), kP256KeyInfo, sizeof kP256KeyInfo) != 0) return false;
  std::memcpy(key->data(), der.data() + sizeof kP256KeyInfo, key->size());
  return true;
}

std::string PublicKeyFileText(const UpdateKey& key) {
  std::string der(reinterpret_cast<const char*>(kP256KeyInfo), sizeof kP256KeyInfo);
  der.append(reinterpret_cast<const char*>(key.data()), key.size());
  std::string body = EncodeBytes(der);
  for (char& c : body) c = SwapCase(c);  // back to standard Base64
  std::string text = std::string(kPemBegin) + "\n";
  for (std::size_t at = 0; at < body.size(); at += 64) text += body.substr(at, 64) + "\n";
  return text + kPemEnd + "\n";
}

}  // namespace tavik
