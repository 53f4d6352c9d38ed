// The check of a downloaded release (and of the update document) against the site owner's public key, through the
// system's own BCrypt. bcrypt.dll is loaded only while a download is checked, so start-up
// never pays for it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "online/release_sign.h"

namespace tavik {

// True only when signatureText is a well-formed signature, by key, of
// ReleaseSignedPrefix(version) followed by every byte of the file at path. Anything that
// goes wrong (a malformed signature, a file that cannot be read, no BCrypt) is false.
bool VerifyReleaseFile(const UpdateKey& key, std::u16string_view version, std::u16string_view signatureText,
                       const std::wstring& path);

// True only when signatureText is a well-formed signature, by key, of exactly these bytes
// (a document's, DocumentSignedBytes).
bool VerifySignedBytes(const UpdateKey& key, std::string_view bytes, std::u16string_view signatureText);

// The key this program was built with (the build setting TAVIK_UPDATE_PUBLIC_KEY); none for a
// program built without one, which installs by the CRC-32 alone.
std::optional<UpdateKey> BuiltInUpdateKey();

}  // namespace tavik
