#include "online/release_verify.h"

#include <windows.h>
#include <bcrypt.h>

#include "core/system_library.h"
#include "online/update_key.inc"  // generated: kBuiltInUpdateKey, "" when built without a key

namespace tavik {
namespace {

constexpr DWORD kReadPiece = 64 * 1024;

// bcrypt.dll from the system folder only (loaded at the first check, then kept as the other
// system libraries are).
struct BCrypt {
  decltype(&BCryptOpenAlgorithmProvider) OpenAlgorithmProvider = nullptr;
  decltype(&BCryptCloseAlgorithmProvider) CloseAlgorithmProvider = nullptr;
  decltype(&BCryptImportKeyPair) ImportKeyPair = nullptr;
  decltype(&BCryptDestroyKey) DestroyKey = nullptr;
  decltype(&BCryptCreateHash) CreateHash = nullptr;
  decltype(&BCryptHashData) HashData = nullptr;
  decltype(&BCryptFinishHash) FinishHash = nullptr;
  decltype(&BCryptDestroyHash) DestroyHash = nullptr;
  decltype(&BCryptVerifySignature) VerifySignature = nullptr;

  BCrypt() {
    const HMODULE module = LoadSystemLibrary(L"bcrypt.dll");
    if (!module) return;
    OpenAlgorithmProvider = ModuleFunction<decltype(OpenAlgorithmProvider)>(module, "BCryptOpenAlgorithmProvider");
    CloseAlgorithmProvider = ModuleFunction<decltype(CloseAlgorithmProvider)>(module, "BCryptCloseAlgorithmProvider");
    ImportKeyPair = ModuleFunction<decltype(ImportKeyPair)>(module, "BCryptImportKeyPair");
    DestroyKey = ModuleFunction<decltype(DestroyKey)>(module, "BCryptDestroyKey");
    CreateHash = ModuleFunction<decltype(CreateHash)>(module, "BCryptCreateHash");
    HashData = ModuleFunction<decltype(HashData)>(module, "BCryptHashData");
    FinishHash = ModuleFunction<decltype(FinishHash)>(module, "BCryptFinishHash");
    DestroyHash = ModuleFunction<decltype(DestroyHash)>(module, "BCryptDestroyHash");
    VerifySignature = ModuleFunction<decltype(VerifySignature)>(module, "BCryptVerifySignature");
  }
  BCrypt(const BCrypt&) = delete;
  BCrypt& operator=(const BCrypt&) = delete;

  bool Usable() const {
    return OpenAlgorithmProvider && CloseAlgorithmProvider && ImportKeyPair && DestroyKey && CreateHash && HashData &&
           FinishHash && DestroyHash && VerifySignature;
  }
};

// Everything opened for one check, closed in reverse order whatever way the check ends.
struct Check {
  const BCrypt& api;
  BCRYPT_ALG_HANDLE ecdsa = nullptr, sha256 = nullptr;
  BCRYPT_KEY_HANDLE key = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  HANDLE file = INVALID_HANDLE_VALUE;

  explicit Check(const BCrypt& bcrypt) : api(bcrypt) {}
  ~Check() {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (hash) api.DestroyHash(hash);
    if (key) api.DestroyKey(key);
    if (sha256) api.CloseAlgorithmProvider(sha256, 0);
    if (ecdsa) api.CloseAlgorithmProvider(ecdsa, 0);
  }
  Check(const Check&) = delete;
  Check& operator=(const Check&) = delete;

  bool Hash(const void* bytes, DWORD size) {
    return api.HashData(hash, static_cast<PUCHAR>(const_cast<void*>(bytes)), size, 0) == 0;
  }
};

// Hashes the prefix and then whatever more() feeds (false: it failed), and checks the
// signature text over that hash with the key.
template <typename Feed>
bool VerifySigned(const UpdateKey& key, std::u16string_view signatureText, std::string_view prefix, Feed more) {
  ReleaseSignature signature{};
  if (!ParseReleaseSignature(signatureText, &signature)) return false;
  const BCrypt api;
  if (!api.Usable()) return false;
  Check check(api);
  if (api.OpenAlgorithmProvider(&check.ecdsa, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) != 0) return false;
  if (api.OpenAlgorithmProvider(&check.sha256, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) return false;

  unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + sizeof key] = {};
  BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
  CopyMemory(blob, &header, sizeof header);
  CopyMemory(blob + sizeof header, key.data(), key.size());
  if (api.ImportKeyPair(check.ecdsa, nullptr, BCRYPT_ECCPUBLIC_BLOB, &check.key, blob, sizeof blob, 0) != 0)
    return false;

  if (api.CreateHash(check.sha256, &check.hash, nullptr, 0, nullptr, 0, 0) != 0) return false;
  if (!check.Hash(prefix.data(), static_cast<DWORD>(prefix.size()))) return false;
  if (!more(check)) return false;
  unsigned char digest[32] = {};
  if (api.FinishHash(check.hash, digest, sizeof digest, 0) != 0) return false;
  return api.VerifySignature(check.key, nullptr, digest, sizeof digest, signature.data(),
                             static_cast<ULONG>(signature.size()), 0) == 0;
}

}  // namespace

bool VerifyReleaseFile(const UpdateKey& key, std::u16string_view version, std::u16string_view signatureText,
                       const std::wstring& path) {
  return VerifySigned(key, signatureText, ReleaseSignedPrefix(version), [&](Check& check) {
    check.file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (check.file == INVALID_HANDLE_VALUE) return false;
    std::string piece(kReadPiece, '\0');
    while (true) {
      DWORD n = 0;
      if (!ReadFile(check.file, &piece[0], kReadPiece, &n, nullptr)) return false;
      if (n == 0) return true;
      if (!check.Hash(piece.data(), n)) return false;
    }
  });
}

bool VerifySignedBytes(const UpdateKey& key, std::string_view bytes, std::u16string_view signatureText) {
  return VerifySigned(key, signatureText, bytes, [](Check&) { return true; });
}

std::optional<UpdateKey> BuiltInUpdateKey() {
  if (kBuiltInUpdateKey[0] == '\0') return std::nullopt;
  UpdateKey key{};
  // The build refuses a key file that does not parse; should one slip through anyway, the
  // all-zero point verifies nothing, so the program installs nothing rather than anything.
  if (!ParsePublicKeyFile(kBuiltInUpdateKey, &key)) key.fill(0);
  return key;
}

}  // namespace tavik
