#include "tools/release_keys.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>

#include "tools/atomic_file.h"

namespace tavik::publish {
namespace {

struct Free {
  void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
  void operator()(EVP_MD_CTX* p) const { EVP_MD_CTX_free(p); }
  void operator()(BIO* p) const { BIO_free(p); }
  void operator()(BIGNUM* p) const { BN_free(p); }
  void operator()(ECDSA_SIG* p) const { ECDSA_SIG_free(p); }
};
template <typename T>
using Owned = std::unique_ptr<T, Free>;

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

// Creates the file only if it is not there yet (no race with another writer), with mode.
bool WriteNewFile(const std::string& path, const std::string& bytes, mode_t mode, std::string* why) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) {
    *why = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  bool ok = fchmod(fd, mode) == 0;  // the mode exactly, whatever the umask
  if (ok)
    ok = WriteAllAndClose(fd, bytes);
  else
    close(fd);
  if (!ok) {
    *why = "cannot write " + path + ": " + std::strerror(errno);
    unlink(path.c_str());
  }
  return ok;
}

// Never asks for a pass phrase: an encrypted key is refused instead of waiting at a prompt.
int NoPassphrase(char*, int, int, void*) { return 0; }

Owned<EVP_PKEY> ReadPrivateKey(std::string_view pem, std::string* why) {
  Owned<BIO> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  Owned<EVP_PKEY> key(bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, &NoPassphrase, nullptr) : nullptr);
  if (!key) {
    *why = pem.find("PUBLIC KEY-----") != std::string_view::npos
               ? "this is a public key file; --sign-key takes the private one"
               : "no private key in PEM (an encrypted key is not read)";
    return nullptr;
  }
  char group[64] = {};
  std::size_t length = 0;
  if (!EVP_PKEY_is_a(key.get(), "EC") ||
      !EVP_PKEY_get_utf8_string_param(key.get(), OSSL_PKEY_PARAM_GROUP_NAME, group, sizeof group, &length) ||
      std::strcmp(group, "prime256v1") != 0) {
    *why = "the key is not an ECDSA P-256 key, the kind tavik-publish keygen makes";
    return nullptr;
  }
  return key;
}

bool Coordinate(const EVP_PKEY* key, const char* name, unsigned char* out) {
  BIGNUM* raw = nullptr;
  if (!EVP_PKEY_get_bn_param(key, name, &raw)) return false;
  const Owned<BIGNUM> value(raw);
  return BN_bn2binpad(value.get(), out, 32) == 32;
}

bool PointOf(const EVP_PKEY* key, UpdateKey* point) {
  return Coordinate(key, OSSL_PKEY_PARAM_EC_PUB_X, point->data()) &&
         Coordinate(key, OSSL_PKEY_PARAM_EC_PUB_Y, point->data() + 32);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

}  // namespace

bool MakeKeyPair(const std::string& privatePath, const std::string& publicPath, std::string* why) {
  if (privatePath == publicPath) {
    *why = "--private and --public name the same file";
    return false;
  }
  for (const std::string* path : {&privatePath, &publicPath}) {
    if (Exists(*path)) {
      *why = *path + " exists already; a key file is never overwritten";
      return false;
    }
  }
  Owned<EVP_PKEY> key(EVP_EC_gen("P-256"));
  UpdateKey point{};
  if (!key || !PointOf(key.get(), &point)) {
    *why = "OpenSSL could not make a P-256 key";
    return false;
  }
  Owned<BIO> bio(BIO_new(BIO_s_mem()));
  if (!bio || !PEM_write_bio_PrivateKey(bio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr)) {
    *why = "OpenSSL could not write the private key";
    return false;
  }
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio.get(), &data);
  const std::string privatePem(data, static_cast<std::size_t>(size));
  if (!WriteNewFile(privatePath, privatePem, 0600, why)) return false;
  if (!WriteNewFile(publicPath, PublicKeyFileText(point), 0644, why)) {
    unlink(privatePath.c_str());  // half a pair is of no use
    return false;
  }
  return true;
}

int RunKeygen(int argc, char** argv) {
  constexpr char kKeygenUsage[] = "usage: tavik-publish keygen --private FILE --public FILE\n";
  std::string privatePath, publicPath;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    std::string* target = name == "--private" ? &privatePath : name == "--public" ? &publicPath : nullptr;
    if (!target || i + 1 >= argc || !target->empty() || argv[i + 1][0] == '\0') {
      std::cerr << "tavik-publish: " << kKeygenUsage;
      return 1;
    }
    *target = argv[++i];
  }
  if (privatePath.empty() || publicPath.empty()) {
    std::cerr << "tavik-publish: " << kKeygenUsage;
    return 1;
  }
  std::string why;
  if (!MakeKeyPair(privatePath, publicPath, &why)) {
    std::cerr << "tavik-publish: " << why << "\n";
    return 1;
  }
  std::cerr << "tavik-publish: wrote the private key " << privatePath << " (keep it off the site, and a copy "
            << "somewhere safe) and the public key " << publicPath << " (build the program with it)\n";
  return 0;
}

namespace {

// Signs head followed by body.
bool SignParts(std::string_view privatePem, std::string_view prefix, std::string_view release,
               ReleaseSignature* signature, std::string* why) {
  const Owned<EVP_PKEY> key = ReadPrivateKey(privatePem, why);
  if (!key) return false;
  Owned<EVP_MD_CTX> ctx(EVP_MD_CTX_new());
  std::size_t size = 0;
  if (!ctx || EVP_DigestSignInit(ctx.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1 ||
      EVP_DigestSignUpdate(ctx.get(), prefix.data(), prefix.size()) != 1 ||
      EVP_DigestSignUpdate(ctx.get(), release.data(), release.size()) != 1 ||
      EVP_DigestSignFinal(ctx.get(), nullptr, &size) != 1) {
    *why = "OpenSSL could not sign";
    return false;
  }
  std::string der(size, '\0');
  if (EVP_DigestSignFinal(ctx.get(), reinterpret_cast<unsigned char*>(&der[0]), &size) != 1) {
    *why = "OpenSSL could not sign";
    return false;
  }
  // OpenSSL gives DER; the document and the system's verifier take r || s.
  const unsigned char* p = reinterpret_cast<const unsigned char*>(der.data());
  const Owned<ECDSA_SIG> parsed(d2i_ECDSA_SIG(nullptr, &p, static_cast<long>(size)));
  const BIGNUM* r = nullptr;
  const BIGNUM* s = nullptr;
  if (parsed) ECDSA_SIG_get0(parsed.get(), &r, &s);
  if (!r || !s || BN_bn2binpad(r, signature->data(), 32) != 32 || BN_bn2binpad(s, signature->data() + 32, 32) != 32) {
    *why = "OpenSSL gave a signature of an unexpected form";
    return false;
  }
  return true;
}

bool VerifyParts(const UpdateKey& key, std::string_view prefix, std::string_view release,
                 const ReleaseSignature& signature);

}  // namespace

bool SignRelease(std::string_view privatePem, std::u16string_view version, std::string_view release,
                 ReleaseSignature* signature, std::string* why) {
  return SignParts(privatePem, ReleaseSignedPrefix(version), release, signature, why);
}

bool SignBytes(std::string_view privatePem, std::string_view bytes, ReleaseSignature* signature, std::string* why) {
  return SignParts(privatePem, bytes, {}, signature, why);
}

bool PublicKeyOf(std::string_view privatePem, UpdateKey* key, std::string* why) {
  const Owned<EVP_PKEY> pkey = ReadPrivateKey(privatePem, why);
  if (!pkey) return false;
  if (!PointOf(pkey.get(), key)) {
    *why = "OpenSSL could not give the public key";
    return false;
  }
  return true;
}

bool VerifyRelease(const UpdateKey& key, std::u16string_view version, std::string_view release,
                   const ReleaseSignature& signature) {
  return VerifyParts(key, ReleaseSignedPrefix(version), release, signature);
}

bool VerifyBytes(const UpdateKey& key, std::string_view bytes, const ReleaseSignature& signature) {
  return VerifyParts(key, bytes, {}, signature);
}

namespace {

bool VerifyParts(const UpdateKey& key, std::string_view prefix, std::string_view release,
                 const ReleaseSignature& signature) {
  const std::string pem = PublicKeyFileText(key);
  Owned<BIO> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  const Owned<EVP_PKEY> pkey(bio ? PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr) : nullptr);
  Owned<ECDSA_SIG> sig(ECDSA_SIG_new());
  BIGNUM* r = BN_bin2bn(signature.data(), 32, nullptr);
  BIGNUM* s = BN_bin2bn(signature.data() + 32, 32, nullptr);
  if (!pkey || !sig || !r || !s || ECDSA_SIG_set0(sig.get(), r, s) != 1) {
    BN_free(r);
    BN_free(s);
    return false;
  }
  unsigned char* der = nullptr;
  const int derSize = i2d_ECDSA_SIG(sig.get(), &der);
  if (derSize <= 0) return false;
  Owned<EVP_MD_CTX> ctx(EVP_MD_CTX_new());
  const bool ok = ctx && EVP_DigestVerifyInit(ctx.get(), nullptr, EVP_sha256(), nullptr, pkey.get()) == 1 &&
                  EVP_DigestVerifyUpdate(ctx.get(), prefix.data(), prefix.size()) == 1 &&
                  EVP_DigestVerifyUpdate(ctx.get(), release.data(), release.size()) == 1 &&
                  EVP_DigestVerifyFinal(ctx.get(), der, static_cast<std::size_t>(derSize)) == 1;
  OPENSSL_free(der);
  return ok;
}

}  // namespace

bool SignReleaseWithKeyFile(const std::string& keyPath, std::u16string_view version, std::string_view release,
                            std::u16string* signatureText, std::string* why) {
  const std::optional<std::string> pem = ReadWholeFile(keyPath);
  if (!pem) {
    *why = "cannot read the key file " + keyPath;
    return false;
  }
  ReleaseSignature signature{};
  UpdateKey key{};
  if (!SignRelease(*pem, version, release, &signature, why) || !PublicKeyOf(*pem, &key, why)) {
    *why = keyPath + ": " + *why;
    return false;
  }
  if (!VerifyRelease(key, version, release, signature)) {
    *why = "the signature made with " + keyPath + " does not verify";
    return false;
  }
  *signatureText = ReleaseSignatureText(signature);
  return true;
}

bool SignDocumentWithKeyFile(const std::string& keyPath, std::string_view signedBytes, std::u16string* signatureText,
                             std::string* why) {
  const std::optional<std::string> pem = ReadWholeFile(keyPath);
  if (!pem) {
    *why = "cannot read the key file " + keyPath;
    return false;
  }
  ReleaseSignature signature{};
  UpdateKey key{};
  if (!SignBytes(*pem, signedBytes, &signature, why) || !PublicKeyOf(*pem, &key, why)) {
    *why = keyPath + ": " + *why;
    return false;
  }
  if (!VerifyBytes(key, signedBytes, signature)) {
    *why = "the document's signature made with " + keyPath + " does not verify";
    return false;
  }
  *signatureText = ReleaseSignatureText(signature);
  return true;
}

}  // namespace tavik::publish
