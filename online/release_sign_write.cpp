// The texts the publisher writes, apart from the reading side so the program does not carry them.
#include "core/codec.h"
#include "online/release_sign.h"

namespace tavik {

std::u16string ReleaseSignatureText(const ReleaseSignature& signature) {
  const std::string text =
      EncodeBytes(std::string_view(reinterpret_cast<const char*>(signature.data()), signature.size()));
  return std::u16string(text.begin(), text.end());
}

std::string PublicKeyFileText(const UpdateKey& key) {
  std::string der(reinterpret_cast<const char*>(kP256KeyInfo), sizeof kP256KeyInfo);
  der.append(reinterpret_cast<const char*>(key.data()), key.size());
  std::string body = EncodeBytes(der);
  for (char& c : body) {  // the codec swaps the letters' case; PEM is standard Base64
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  std::string text = std::string(kPublicKeyBegin) + "\n";
  for (std::size_t at = 0; at < body.size(); at += 64) text += body.substr(at, 64) + "\n";
  return text + kPublicKeyEnd + "\n";
}

}  // namespace tavik
