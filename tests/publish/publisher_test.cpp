// tavik-publish's own rules: the release's version resource, never an older release over a
// newer one, the signed document, whole files only, and its warnings.
#include <gtest/gtest.h>

#include "core/ansi.h"
#include "core/codec.h"
#include "online/update_doc.h"
#include "tests/publish/publish_util.h"
#include "tools/pe_version.h"
#include "tools/release_keys.h"

namespace tavik::publish {
namespace {

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

TEST(ProgramVersionOf, ReadsTheVersionResourceAndNothingFromBrokenFiles) {
  EXPECT_EQ(ProgramVersionOf(test::ReleaseFile(u"0.5.2")), u"0.5.2");
  EXPECT_EQ(ProgramVersionOf(test::ReleaseFile(u"1.0 beta", "tail")), u"1.0 beta");
  EXPECT_EQ(ProgramVersionOf(test::ReleaseFile(u"0.5.2", "", u"0.5.2.7")), u"0.5.2");  // the product's
  const std::string whole = test::ReleaseFile(u"0.5.2");
  for (std::size_t cut = 0; cut < whole.size(); cut += 7) {
    EXPECT_EQ(ProgramVersionOf(whole.substr(0, cut)), std::nullopt) << "cut at " << cut;
  }
  std::string notPe = whole;
  notPe[0x40] = 'X';
  EXPECT_EQ(ProgramVersionOf(notPe), std::nullopt);
  EXPECT_EQ(ProgramVersionOf("MZ" + std::string(5000, '\xFF')), std::nullopt);
  EXPECT_EQ(ProgramVersionOf(""), std::nullopt);
}

TEST_F(Publisher, RefusesAVersionOtherThanTheOneTheReleaseStates) {
  const struct {
    std::string release;
    const char* says;
  } rows[] = {
      {test::ReleaseFile(u"0.5.1", "x"), "differs from the version 0.5.1"},
      {test::ReleaseFile(u"0.5.2.0", "x"), "differs from the version 0.5.2.0"},
      {"MZ not a program", "no version resource"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.says);
    Write(dir_.File("Tavik.exe"), row.release);
    EXPECT_EQ(Run(Publish("")), 1);
    EXPECT_NE(stderr_.find(row.says), std::string::npos) << stderr_;
    EXPECT_FALSE(fs::exists(dir_.File("update.txt")));
  }
}

TEST_F(Publisher, NeverReplacesAReleaseWithOneThatDoesNotSortAfterItUnlessTold) {
  ASSERT_EQ(Run(Publish("")), 0) << stderr_;  // 0.5.2, over no document
  const std::string published = Read(dir_.File("update.txt"));
  // Versions compare as text: 0.5.10 and 0.10 sort before 0.5.2.
  for (const char16_t* older : {u"0.5.2", u"0.5.1", u"0.5.10", u"0.10", u"0"}) {
    const std::string version(older, older + std::char_traits<char16_t>::length(older));
    SCOPED_TRACE(version);
    Write(dir_.File("Old.exe"), test::ReleaseFile(older, "old"));
    const std::string args = "--release '" + dir_.File("Old.exe") + "' --version " + version +
                             " --min-version '' --url https://tavik.example/Old.exe --output '" +
                             dir_.File("update.txt") + "'";
    EXPECT_EQ(Run(args), 1);
    EXPECT_NE(stderr_.find("does not sort after 0.5.2"), std::string::npos) << stderr_;
    EXPECT_NE(stderr_.find("--allow-older"), std::string::npos) << stderr_;
    EXPECT_EQ(Read(dir_.File("update.txt")), published);
  }
  Write(dir_.File("Old.exe"), test::ReleaseFile(u"0.5.1", "old"));
  ASSERT_EQ(Run("--allow-older --release '" + dir_.File("Old.exe") + "' --version 0.5.1 --min-version '' "
                "--url https://tavik.example/Old.exe --output '" + dir_.File("update.txt") + "'"), 0) << stderr_;
  EXPECT_EQ(GetKeyValue(DecodeUpdateDocument(Ascii(Read(dir_.File("update.txt")))), u"StableVer=", u";"), u"0.5.1");
  // A later one needs no switch.
  Write(dir_.File("Tavik.exe"), test::ReleaseFile(u"0.6", "new"));
  ASSERT_EQ(Run("--release '" + dir_.File("Tavik.exe") + "' --version 0.6 --min-version 0.5 "
                "--url https://tavik.example/Tavik.exe --output '" + dir_.File("update.txt") + "'"), 0) << stderr_;
}

// The document a program with the key reads: its signature verifies over every entry as read,
// and no longer once any one of them is changed.
TEST_F(Publisher, SignsEveryEntryTheProgramReads) {
  ASSERT_EQ(Run("keygen --private '" + dir_.File("k.pem") + "' --public '" + dir_.File("k.pub.pem") + "'"), 0);
  ASSERT_EQ(Run(Publish("--home https://tavik.example/ --statistic https://tavik.example/stat "
                        "--feedback https://f.example/ --donate https://d.example/ --notes a/b "
                        "--sign-key '" + dir_.File("k.pem") + "'")), 0) << stderr_;
  UpdateKey key{};
  ASSERT_TRUE(ParsePublicKeyFile(Read(dir_.File("k.pub.pem")), &key));
  const DocumentCheck check = [&](std::string_view bytes, std::u16string_view text) {
    ReleaseSignature signature{};
    return ParseReleaseSignature(text, &signature) && VerifyBytes(key, bytes, signature);
  };
  const std::u16string encoded = Widen(Read(dir_.File("update.txt")));
  const UpdateOutcome out = EvaluateUpdate(encoded, u"https://b/", u"0.5.1", {}, check);
  EXPECT_TRUE(out.announce);
  EXPECT_EQ(out.statisticUrl, u"https://tavik.example/stat?ver=0.5.1");
  const std::u16string doc = DecodeUpdateDocument(encoded);
  EXPECT_NE(doc.find(kDocSigKey), std::u16string::npos) << ToAnsi(doc);

  for (const char16_t* key16 : {u"Home=", u"Statistic=", u"Feedback=", u"Donate=", u"MinVer=", u"StableVer=",
                                u"StableUrl=", u"StableHash=", u"StableSig=", u"StableTips="}) {
    SCOPED_TRACE(ToAnsi(key16));
    std::u16string changed = doc;
    const std::size_t at = changed.find(key16) + std::char_traits<char16_t>::length(key16);
    changed.insert(at, u"9");
    const UpdateOutcome forged = EvaluateUpdate(Base64(1, changed), u"https://b/", u"0.5.1", {}, check);
    EXPECT_FALSE(forged.announce);
    EXPECT_FALSE(forged.tooOld);
    EXPECT_EQ(forged.statisticUrl, u"");
  }
}

// A full disk or a Ctrl-C in the middle of a write leaves the owner's files as they were.
TEST_F(Publisher, AWriteThatFailsLeavesTheOldFilesWhole) {
  std::string rules = "# the owner's own rules\n";
  while (rules.size() < 3481) rules += "RewriteRule ^old/(.*)$ /new/$1 [R=301,L]\n";
  Write(dir_.File(".htaccess"), rules);
  ASSERT_EQ(Run(Publish("--home https://tavik.example/")), 0) << stderr_;
  const std::string htaccess = Read(dir_.File(".htaccess"));
  ASSERT_EQ(htaccess.compare(0, rules.size(), rules), 0);
  const std::string document = Read(dir_.File("update.txt"));

  // No file may grow past 1 KiB: every file the publisher writes now is larger than that.
  Write(dir_.File("Tavik.exe"), test::ReleaseFile(u"0.6", std::string(2000, 'n')));
  const std::string notes(1500, 'x');
  EXPECT_NE(Run("--release '" + dir_.File("Tavik.exe") + "' --version 0.6 --min-version 0.5 --notes " + notes +
                " --home https://tavik.example/ --url https://tavik.example/Tavik.exe --output '" +
                dir_.File("update.txt") + "'", "trap '' XFSZ; ulimit -f 1; "), 0);
  EXPECT_NE(stderr_.find("cannot write"), std::string::npos) << stderr_;
  EXPECT_EQ(Read(dir_.File("update.txt")), document);
  EXPECT_EQ(Read(dir_.File(".htaccess")), htaccess);
  for (const auto& entry : fs::directory_iterator(dir_.File(""))) {
    EXPECT_EQ(entry.path().string().find(".tavik-new"), std::string::npos) << entry.path();
  }

  // The rules alone too big: the document goes in whole, .htaccess stays as it was.
  EXPECT_NE(Run("--release '" + dir_.File("Tavik.exe") + "' --version 0.6 --min-version 0.5 "
                "--home https://tavik.example/ --url https://tavik.example/Tavik.exe --output '" +
                dir_.File("update.txt") + "'", "trap '' XFSZ; ulimit -f 3; "), 0);
  EXPECT_EQ(Read(dir_.File(".htaccess")), htaccess);
  EXPECT_EQ(GetKeyValue(DecodeUpdateDocument(Ascii(Read(dir_.File("update.txt")))), u"StableVer=", u";"), u"0.6");
}

TEST_F(Publisher, WarnsAboutPlainHttpThatLeavesThisMachine) {
  const struct {
    const char* extra;
    bool warned;
  } rows[] = {
      {"--home https://tavik.example/", false},
      {"--home http://127.0.0.1:8080/", false},
      {"--home http://tavik.example/", true},
      {"--statistic http://tavik.example/stat", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.extra);
    ASSERT_EQ(Run(Publish(std::string(row.extra) + " --allow-older")), 0) << stderr_;
    EXPECT_EQ(stderr_.find("plain http") != std::string::npos, row.warned) << stderr_;
  }
}

}  // namespace
}  // namespace tavik::publish
