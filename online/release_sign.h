// Signed releases: what the site owner's key signs, and the texts that carry the key and the
// signature. The key is ECDSA on P-256 with SHA-256; the site never holds its private half,
// so whoever controls the site or the document can offer only releases the owner signed.
// Pure rules: the publisher signs with its own library, the program verifies with the
// system's (release_verify.h).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace tavik {

// The public point X || Y (big-endian coordinates) and a signature r || s.
using UpdateKey = std::array<unsigned char, 64>;
using ReleaseSignature = std::array<unsigned char, 64>;

// The document entry; programs without a key never read it.
inline constexpr char16_t kStableSigKey[] = u"StableSig=";

// Binds the signature to this program and to the version the document names, so a signed
// old release cannot be offered as a newer one: the bytes signed are this prefix followed
// by the release file's bytes. The prefix is a fixed context text, a NUL, the version's
// length in bytes (4 bytes, little-endian) and the version as UTF-16LE.
inline constexpr char kReleaseSignatureContext[] = "Tavik release signature 1";
std::string ReleaseSignedPrefix(std::u16string_view version);

// A signature as the document holds it: the 64 bytes as Base64 in the document's own variant
// (letter case swapped), 88 characters with "==" at the end.
std::u16string ReleaseSignatureText(const ReleaseSignature& signature);
// The strict reverse: anything but exactly such a text (empty, cut, padded otherwise, a
// character outside the alphabet, standard-case Base64 that happens to decode) is refused.
bool ParseReleaseSignature(std::u16string_view text, ReleaseSignature* signature);

// SubjectPublicKeyInfo of id-ecPublicKey on prime256v1, up to the uncompressed point's 0x04;
// the point's 64 bytes follow.
inline constexpr unsigned char kP256KeyInfo[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2A, 0x86, 0x48,
                                                 0xCE, 0x3D, 0x02, 0x01, 0x06, 0x08, 0x2A, 0x86, 0x48,
                                                 0xCE, 0x3D, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};
inline constexpr char kPublicKeyBegin[] = "-----BEGIN PUBLIC KEY-----";
inline constexpr char kPublicKeyEnd[] = "-----END PUBLIC KEY-----";

// The public key file tavik-publish keygen writes: a PEM "PUBLIC KEY" (SubjectPublicKeyInfo)
// of an uncompressed P-256 point, the form OpenSSL and other tools read too. Lines outside
// the PEM block are ignored; any other key kind or curve is refused.
bool ParsePublicKeyFile(std::string_view text, UpdateKey* key);
// That file's text for a key: the PEM block in lines of 64 characters. This and
// ReleaseSignatureText are the publisher's (release_sign_write.cpp); the program only reads.
std::string PublicKeyFileText(const UpdateKey& key);

}  // namespace tavik
