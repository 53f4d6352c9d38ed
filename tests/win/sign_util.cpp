#include "tests/win/sign_util.h"

namespace tavik::test {

TestSigner::TestSigner() {
  if (BCryptOpenAlgorithmProvider(&ecdsa_, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) != 0) return;
  BCRYPT_KEY_HANDLE key = nullptr;
  if (BCryptGenerateKeyPair(ecdsa_, &key, 256, 0) != 0) return;
  unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + 64] = {};
  ULONG size = 0;
  if (BCryptFinalizeKeyPair(key, 0) != 0 ||
      BCryptExportKey(key, nullptr, BCRYPT_ECCPUBLIC_BLOB, blob, sizeof blob, &size, 0) != 0 || size != sizeof blob) {
    BCryptDestroyKey(key);
    return;
  }
  CopyMemory(public_.data(), blob + sizeof(BCRYPT_ECCKEY_BLOB), public_.size());
  key_ = key;
}

TestSigner::~TestSigner() {
  if (key_) BCryptDestroyKey(key_);
  if (ecdsa_) BCryptCloseAlgorithmProvider(ecdsa_, 0);
}

std::u16string TestSigner::Sign(std::u16string_view version, const std::string& release) const {
  return SignBytes(ReleaseSignedPrefix(version) + release);
}

std::u16string TestSigner::SignBytes(const std::string& message) const {
  if (!key_) return {};
  BCRYPT_ALG_HANDLE sha = nullptr;
  if (BCryptOpenAlgorithmProvider(&sha, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) return {};
  unsigned char digest[32] = {};
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool hashed = BCryptCreateHash(sha, &hash, nullptr, 0, nullptr, 0, 0) == 0;
  hashed = hashed &&
           BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(message.data())),
                          static_cast<ULONG>(message.size()), 0) == 0 &&
           BCryptFinishHash(hash, digest, sizeof digest, 0) == 0;
  if (hash) BCryptDestroyHash(hash);
  BCryptCloseAlgorithmProvider(sha, 0);
  if (!hashed) return {};
  ReleaseSignature signature{};
  ULONG size = 0;
  if (BCryptSignHash(key_, nullptr, digest, sizeof digest, signature.data(), static_cast<ULONG>(signature.size()),
                     &size, 0) != 0 ||
      size != signature.size())
    return {};
  return ReleaseSignatureText(signature);
}

}  // namespace tavik::test
