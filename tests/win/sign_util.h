// A signing key made by the system's BCrypt for one test: it signs releases the way the
// site owner's publisher does, so the program's check can be tried without the publisher.
#pragma once

#include <windows.h>
#include <bcrypt.h>

#include <string>
#include <string_view>

#include "online/release_sign.h"

namespace tavik::test {

class TestSigner {
 public:
  TestSigner();  // a new P-256 key pair
  ~TestSigner();
  TestSigner(const TestSigner&) = delete;
  TestSigner& operator=(const TestSigner&) = delete;

  bool ok() const { return key_ != nullptr; }
  const UpdateKey& publicKey() const { return public_; }
  // The StableSig text for release under version; "" when BCrypt failed.
  std::u16string Sign(std::u16string_view version, const std::string& release) const;
  // The signature text of exactly these bytes (a document's); "" when BCrypt failed.
  std::u16string SignBytes(const std::string& message) const;

 private:
  BCRYPT_ALG_HANDLE ecdsa_ = nullptr;
  BCRYPT_KEY_HANDLE key_ = nullptr;
  UpdateKey public_{};
};

}  // namespace tavik::test
