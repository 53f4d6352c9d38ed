// The site owner's signing key for tavik-publish, through OpenSSL's libcrypto: making a key
// pair, signing a release for the document, and the same check the program makes.
#pragma once

#include <string>
#include <string_view>

#include "online/release_sign.h"

namespace tavik::publish {

// Writes a new key pair: the private key as PKCS#8 PEM, readable and writable by its owner
// only (mode 600), and the public key file the program is built with. Refuses, writing
// nothing, when either file exists already or both name the same file.
bool MakeKeyPair(const std::string& privatePath, const std::string& publicPath, std::string* why);

// `tavik-publish keygen --private FILE --public FILE` (argv[0] is "keygen"); the exit code.
int RunKeygen(int argc, char** argv);

// Signs ReleaseSignedPrefix(version) followed by the release with the private key in
// privatePem. False, with *why, when the text is no private P-256 key.
bool SignRelease(std::string_view privatePem, std::u16string_view version, std::string_view release,
                 ReleaseSignature* signature, std::string* why);

// Signs exactly these bytes (a document's, DocumentSignedBytes).
bool SignBytes(std::string_view privatePem, std::string_view bytes, ReleaseSignature* signature, std::string* why);

// The public half of a private key text.
bool PublicKeyOf(std::string_view privatePem, UpdateKey* key, std::string* why);

// The program's check, made with OpenSSL instead of the system's BCrypt.
bool VerifyRelease(const UpdateKey& key, std::u16string_view version, std::string_view release,
                   const ReleaseSignature& signature);

bool VerifyBytes(const UpdateKey& key, std::string_view bytes, const ReleaseSignature& signature);

// What --sign-key does: reads the key file, signs, proves the signature against the key's
// public half, and gives the document's StableSig text. False, with *why, otherwise.
bool SignReleaseWithKeyFile(const std::string& keyPath, std::u16string_view version, std::string_view release,
                            std::u16string* signatureText, std::string* why);
// And for the document: signs its signed bytes, proves the signature, gives the DocSig text.
bool SignDocumentWithKeyFile(const std::string& keyPath, std::string_view signedBytes, std::u16string* signatureText,
                             std::string* why);

}  // namespace tavik::publish
