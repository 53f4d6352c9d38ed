// The program's check of a release signature through the system's BCrypt, with keys made in
// the test.
#include "online/release_verify.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/publish/test_release.h"
#include "tests/win/sign_util.h"
#include "tests/win/test_util.h"

namespace tavik {
namespace {

class VerifyReleaseFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GT(release_.size(), 150001u);  // the third piece of the check is there
    ASSERT_TRUE(signer_.ok());
    ASSERT_TRUE(other_.ok());
    test::WriteFileBytes(path_, release_);
    signature_ = signer_.Sign(u"0.5.2", release_);
    ASSERT_FALSE(signature_.empty());
  }

  test::TempDir dir_;
  test::TestSigner signer_, other_;
  const std::string release_ = test::Release();
  const std::wstring path_ = dir_.File(L"Tavik.tmp");
  std::u16string signature_;
};

TEST_F(VerifyReleaseFileTest, TheSignedFileForItsVersionUnderItsKeyVerifies) {
  EXPECT_TRUE(VerifyReleaseFile(signer_.publicKey(), u"0.5.2", signature_, path_));
  // Another signature of the same file and version (ECDSA signs differently every time).
  EXPECT_TRUE(VerifyReleaseFile(signer_.publicKey(), u"0.5.2", signer_.Sign(u"0.5.2", release_), path_));
}

TEST_F(VerifyReleaseFileTest, AnyChangeToTheFileIsRefused) {
  const struct {
    const char* name;
    std::string file;
  } rows[] = {
      {"first byte flipped", std::string(1, static_cast<char>(release_[0] ^ 1)) + release_.substr(1)},
      {"a bit in a later piece", release_.substr(0, 150000) + static_cast<char>(release_[150000] ^ 0x80) +
                                     release_.substr(150001)},
      {"last byte flipped", release_.substr(0, release_.size() - 1) + static_cast<char>(release_.back() ^ 1)},
      {"a byte more", release_ + "x"},
      {"cut by a byte", release_.substr(0, release_.size() - 1)},
      {"empty", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    test::WriteFileBytes(path_, row.file);
    EXPECT_FALSE(VerifyReleaseFile(signer_.publicKey(), u"0.5.2", signature_, path_));
  }
}

TEST_F(VerifyReleaseFileTest, OnlyThatVersionThatKeyAndAWellFormedSignatureVerify) {
  std::u16string otherCase = signature_;
  for (char16_t& c : otherCase) c = (c >= u'a' && c <= u'z') ? c - 32 : (c >= u'A' && c <= u'Z') ? c + 32 : c;
  std::u16string flipped = signature_;
  flipped[20] = flipped[20] == u'A' ? u'B' : u'A';
  const struct {
    const char* name;
    const UpdateKey& key;
    std::u16string version;
    std::u16string signature;
  } rows[] = {
      {"another version", signer_.publicKey(), u"0.5.3", signature_},
      {"a version that extends it", signer_.publicKey(), u"0.5.20", signature_},
      {"no version", signer_.publicKey(), u"", signature_},
      {"another key", other_.publicKey(), u"0.5.2", signature_},
      {"another key's signature", signer_.publicKey(), u"0.5.2", other_.Sign(u"0.5.2", release_)},
      {"a signature of another version", signer_.publicKey(), u"0.5.2", signer_.Sign(u"0.5.3", release_)},
      {"a signature changed", signer_.publicKey(), u"0.5.2", flipped},
      {"empty entry", signer_.publicKey(), u"0.5.2", u""},
      {"cut", signer_.publicKey(), u"0.5.2", signature_.substr(0, 80)},
      {"not Base64", signer_.publicKey(), u"0.5.2", signature_.substr(0, 10) + u"*" + signature_.substr(11)},
      {"standard letter case", signer_.publicKey(), u"0.5.2", otherCase},
      {"all zero", signer_.publicKey(), u"0.5.2", ReleaseSignatureText(ReleaseSignature{})},
      {"a key that is no point", UpdateKey{}, u"0.5.2", signature_},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_FALSE(VerifyReleaseFile(row.key, row.version, row.signature, path_));
  }
}

TEST_F(VerifyReleaseFileTest, AFileThatCannotBeReadIsRefused) {
  EXPECT_FALSE(VerifyReleaseFile(signer_.publicKey(), u"0.5.2", signature_, dir_.File(L"missing.tmp")));
  EXPECT_FALSE(VerifyReleaseFile(signer_.publicKey(), u"0.5.2", signature_, dir_.path()));  // a folder
}

}  // namespace
}  // namespace tavik
