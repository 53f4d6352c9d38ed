#include "online/update_doc.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>

#include "core/ansi.h"
#include "core/codec.h"

namespace tavik {
namespace {

constexpr char16_t kBuiltIn[] = u"https://built.in/";
constexpr char16_t kRunning[] = u"0.5.1";

UpdateOutcome Evaluate(std::u16string_view plainDocument, const UpdateInfo& previous = {}) {
  return EvaluateUpdate(Base64(1, plainDocument), kBuiltIn, kRunning, previous);
}

struct DecisionCase {
  const char* name;
  std::u16string document;  // plain, encoded by the test
  bool tooOld;
  bool announce;
  std::u16string barText;
};

TEST(EvaluateUpdate, Decisions) {
  const DecisionCase cases[] = {
      {"min above", u"MinVer=0.5.2;StableVer=0.5.2;", true, false, u""},
      {"min 0.5.10 sorts above", u"MinVer=0.5.10;", true, false, u""},
      {"min equal", u"MinVer=0.5.1;", false, false, u""},
      {"min 0.5", u"MinVer=0.5;", false, false, u""},
      {"min 0.10 sorts below", u"MinVer=0.10;", false, false, u""},
      {"min empty", u"MinVer=;StableVer=0.5.2;", false, true, u"发现新版本 0.5.2"},
      {"same release", u"StableVer=0.5.1;", false, false, u""},
      {"newer release", u"StableVer=0.5.2;", false, true, u"发现新版本 0.5.2"},
      {"older release differs", u"StableVer=0.4.9;", false, true, u"发现新版本 0.4.9"},
      {"first key wins", u"StableVer=0.6;StableVer=0.5.1;", false, true, u"发现新版本 0.6"},
      {"CR LF between", u"MinVer=0.5;\r\nStableVer=0.6;\r\n", false, true, u"发现新版本 0.6"},
      {"CR LF inside", u"Stable\r\nVer=0.\r\n6;", false, true, u"发现新版本 0.6"},
      // Broken documents announce nothing and never end the program.
      {"empty release version", u"StableVer=;", false, false, u""},
      {"no release key", u"Home=x;", false, false, u""},
      {"garbage minimum", u"MinVer=x;", true, false, u""},
      {"unclosed minimum", u"MinVer=9", false, false, u""},
      {"unclosed release", u"StableVer=0.6", false, false, u""},
      {"half a key", u"StableV", false, false, u""},
      {"lone LF stays", u"StableVer=0.6\n;", false, true, u"发现新版本 0.6\n"},
      {"key in other case", u"stablever=0.6;minver=9;", false, false, u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const UpdateOutcome out = Evaluate(c.document);
    EXPECT_EQ(out.tooOld, c.tooOld);
    EXPECT_EQ(out.announce, c.announce);
    EXPECT_EQ(out.barText, c.barText);
  }
}

TEST(EvaluateUpdate, ResponsesThatAreNoDocument) {
  const std::u16string valid = Base64(1, u"Statistic=http://s/;StableVer=0.6;MinVer=0.9;");
  const std::u16string responses[] = {
      u"",                                            // time-out
      u"<html><body>502 Bad Gateway</body></html>",   // not encoded
      u"\r\n\r\n",
      std::u16string(kMaxUpdateDocument + 1, u'A'),
      valid + std::u16string(kMaxUpdateDocument, u'='),  // a real document, but too long
  };
  for (const auto& response : responses) {
    SCOPED_TRACE(response.size());
    const UpdateOutcome out = EvaluateUpdate(response, kBuiltIn, kRunning, {});
    EXPECT_FALSE(out.tooOld);
    EXPECT_FALSE(out.announce);
    EXPECT_EQ(out.info.Home, kBuiltIn);
    EXPECT_EQ(out.statisticUrl, u"");
  }
  EXPECT_TRUE(EvaluateUpdate(valid, kBuiltIn, kRunning, {}).tooOld);
}

TEST(EvaluateUpdate, LargestDocumentIsStillRead) {
  // 49152 plain bytes encode to exactly 64 KiB; one byte more is too long.
  const std::u16string entries = u"StableVer=0.6;";
  const std::u16string fits = entries + std::u16string(49152 - entries.size(), u'x');
  const std::u16string encoded = Base64(1, fits);
  ASSERT_EQ(encoded.size(), kMaxUpdateDocument);
  EXPECT_TRUE(EvaluateUpdate(encoded, kBuiltIn, kRunning, {}).announce);
  EXPECT_FALSE(Evaluate(fits + u"x").announce);
}

struct AddressCase {
  const char* name;
  std::u16string document;
  std::u16string home;
  std::u16string downUrl;
};

TEST(EvaluateUpdate, ReleaseAddressFallsBackToHome) {
  const AddressCase cases[] = {
      {"all given", u"Home=http://h/;StableVer=0.6;StableUrl=https://h/T.exe;", u"http://h/",
       u"https://h/T.exe"},
      {"no StableUrl", u"Home=http://h/;StableVer=0.6;", u"http://h/", u"http://h/"},
      {"empty StableUrl", u"StableUrl=;Home=http://h/;StableVer=0.6;", u"http://h/",
       u"http://h/"},
      {"neither", u"StableVer=0.6;", kBuiltIn, kBuiltIn},
      {"unclosed Home", u"StableVer=0.6;Home=http://h/", kBuiltIn, kBuiltIn},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const UpdateOutcome out = Evaluate(c.document);
    EXPECT_EQ(out.info.Home, c.home);
    EXPECT_EQ(out.info.DownUrl, c.downUrl);
  }
}

TEST(EvaluateUpdate, StoresTheAnnouncement) {
  const UpdateOutcome out = Evaluate(
      u"Home=http://h/;Statistic=http://h/s.php;Feedback=http://h/f;Donate=http://h/d;"
      u"StableVer=0.5.2;StableUrl=https://h/Tavik.exe;StableHash=CBF43926;StableSig=sig==;StableTips=a/b;");
  EXPECT_TRUE(out.announce);
  const UpdateInfo expected{u"http://h/",          u"http://h/s.php", u"http://h/f",
                            u"http://h/d",         u"https://h/Tavik.exe",
                            u"CBF43926",           u"发现新版本：0.5.2\r\na\r\nb",
                            u"0.5.2",              u"sig=="};
  EXPECT_EQ(out.info, expected);
  EXPECT_EQ(out.statisticUrl, u"http://h/s.php?ver=0.5.1");
}

struct TipsCase {
  std::u16string notesEntry;
  std::u16string tips;
};

TEST(EvaluateUpdate, ReleaseNotes) {
  const TipsCase cases[] = {
      {u"StableTips=a/b;", u"发现新版本：0.6\r\na\r\nb"},
      {u"StableTips=修复提醒/;", u"发现新版本：0.6\r\n修复提醒\r\n"},
      {u"StableTips=;", u"发现新版本：0.6\r\n"},
      {u"", u"发现新版本：0.6\r\n"},
      {u"StableTips=a\r\nb;", u"发现新版本：0.6\r\nab"},
      {u"StableTips=//", u"发现新版本：0.6\r\n"},  // unclosed
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Evaluate(u"StableVer=0.6;" + c.notesEntry).info.Tips, c.tips);
  }
}

TEST(EvaluateUpdate, NoAnnouncementKeepsTheEarlierOne) {
  const UpdateInfo earlier{u"old home", u"old stat", u"old fb", u"old donate",
                           u"https://h/T.exe", u"CBF43926", u"earlier tips", u"0.6", u"earlier sig"};
  const std::u16string documents[] = {u"StableVer=0.5.1;Home=http://new/;", u"", u"MinVer=1;"};
  for (const auto& doc : documents) {
    const UpdateOutcome out = Evaluate(doc, earlier);
    EXPECT_EQ(out.info.DownUrl, earlier.DownUrl);
    EXPECT_EQ(out.info.Hash, earlier.Hash);
    EXPECT_EQ(out.info.Tips, earlier.Tips);
    EXPECT_EQ(out.info.Version, earlier.Version);  // the signature stays with its release
    EXPECT_EQ(out.info.Signature, earlier.Signature);
    EXPECT_NE(out.info.Home, earlier.Home);   // read afresh from every document
    EXPECT_EQ(out.info.Statistic, u"");
  }
}

TEST(EvaluateUpdate, StatisticsVisit) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"Statistic=http://h/s;", u"http://h/s?ver=0.5.1"},
      {u"Statistic=http://h/s;MinVer=1;", u"http://h/s?ver=0.5.1"},  // also before ending
      {u"Statistic=;StableVer=0.6;", u""},
      {u"StableVer=0.6;", u""},
      {u"Statistic=http://h/s", u""},
  };
  for (const auto& [doc, visit] : cases) EXPECT_EQ(Evaluate(doc).statisticUrl, visit);
}

TEST(EvaluateUpdate, ReadsADocumentEncodedElsewhere) {
  // Written by a standard Base64 encoder over GBK bytes, then case-swapped.
  const std::u16string response =
      u"sg9Tzt1ODhrWoI8VAc5LEgfTCgXLlZSncLn0yxrPC3rPyZ1ODhrWoI8VAc5LEgfTCgXLl3m7dqPnAw5wzxi9mc41"
      u"o1n0ywjSzvzLCJ0WlJuUmJTtDgfIBgvvCMW9Ahr0Chm6lY9OlMv4yw1WBguVvc5LEgu7u3rHyMXLsgfZAd1dqKy0"
      u"mZKYnJTtDgfIBgvuAxbZpDdcUABe3c/q3RI0oW==";
  const UpdateOutcome out = EvaluateUpdate(response, kBuiltIn, kRunning, {});
  EXPECT_TRUE(out.announce);
  EXPECT_EQ(out.info.Home, u"http://h.example/");
  EXPECT_EQ(out.info.DownUrl, u"https://h.example/T.exe");
  EXPECT_EQ(out.info.Hash, u"CBF43926");
  EXPECT_EQ(out.info.Tips, u"发现新版本：0.5.2\r\n新功能\r\n修复");
  EXPECT_EQ(out.statisticUrl, u"http://h.example/s?ver=0.5.1");
}

TEST(BuildUpdateDocument, ReadsBackUnchanged) {
  UpdateDocument doc;
  doc.home = u"https://h/";
  doc.statistic = u"https://h/s";
  doc.minVer = u"0.5";
  doc.stableVer = u"0.6";
  doc.stableUrl = u"https://h/Tavik.exe";
  doc.stableHash = u"0BF43926";
  doc.stableTips = u"第一行\r\nsecond\nthird\rfourth";
  std::string why;
  const std::u16string plain = BuildUpdateDocument(doc, &why);
  ASSERT_FALSE(plain.empty()) << why;
  const UpdateOutcome out = EvaluateUpdate(Base64(1, plain), kBuiltIn, kRunning, {});
  EXPECT_FALSE(out.tooOld);
  const UpdateInfo expected{u"https://h/", u"https://h/s", u"", u"",
                            u"https://h/Tavik.exe", u"0BF43926",
                            u"发现新版本：0.6\r\n第一行\r\nsecond\r\nthird\r\nfourth", u"0.6", u""};
  EXPECT_EQ(out.info, expected);
}

struct BuildCase {
  std::u16string UpdateDocument::*field;
  std::u16string value;
  bool accepted;
};

TEST(BuildUpdateDocument, RefusesValuesThatWouldReadBackOtherwise) {
  using D = UpdateDocument;
  const BuildCase cases[] = {
      {&D::home, u"a;b", false},
      {&D::stableUrl, u"https://h/a;b.exe", false},
      {&D::stableTips, u"a;b", false},
      {&D::stableVer, u"0.6;", false},
      {&D::home, u"https://h/?Home=", false},   // its own key ends the value early
      {&D::home, u"x MinVer=1", false},         // a later key found inside an earlier value
      {&D::home, u"https://h/\r\nx", false},    // CR LF pairs are removed on reading
      {&D::stableUrl, u"https://h/?Home=", true},  // reads back: Home's entry comes first
      {&D::stableTips, u"a\r\nb", true},         // notes turn line breaks into "/"
      {&D::stableVer, u"", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value.size());
    UpdateDocument doc;
    doc.*c.field = c.value;
    std::string why;
    EXPECT_EQ(BuildUpdateDocument(doc, &why).empty(), !c.accepted);
    EXPECT_EQ(why.empty(), c.accepted);
  }
}

TEST(UpdateDoc, LongNotesAreCutToWhatABoxCanShow) {
  std::u16string many;
  for (int i = 0; i < 3000; ++i) many += u"第" + Ascii(std::to_string(i)) + u"行\r\n";
  const std::u16string cut = NotesForBox(many);
  EXPECT_EQ(std::count(cut.begin(), cut.end(), u'\n'), static_cast<long>(kNotesLines));
  EXPECT_EQ(cut.substr(cut.size() - 3), u"\r\n…");
  EXPECT_EQ(cut.substr(0, 5), u"第0行\r\n");

  const std::u16string oneLong(5000, u'长');
  EXPECT_EQ(NotesForBox(oneLong), std::u16string(kNotesCharacters, u'长') + u"\r\n…");
  const std::u16string pairs = std::u16string(kNotesCharacters - 1, u'a') + u"\U0001F600 tail";
  EXPECT_EQ(NotesForBox(pairs), std::u16string(kNotesCharacters - 1, u'a') + u"\r\n…");  // no half a pair

  for (const std::u16string& shortNotes : {std::u16string(), std::u16string(u"发现新版本：0.5.2\r\na\r\nb")})
    EXPECT_EQ(NotesForBox(shortNotes), shortNotes);
  std::u16string fifteen;
  for (size_t i = 0; i < kNotesLines; ++i) fifteen += u"x\r\n";
  EXPECT_EQ(NotesForBox(fifteen), fifteen);  // just fits
}

}  // namespace
}  // namespace tavik

namespace tavik {
namespace {

// A stand-in for the owner's key: a "signature" is a digest of the signed bytes that only
// this test knows how to make, so a document passes exactly when its entries are the ones
// signed. The real algorithm is tried by the publisher's and the window tests.
std::u16string FakeSign(std::string_view bytes, char16_t keyId = u'K') {
  std::uint32_t h = 2166136261u;
  for (const char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  std::u16string text(1, keyId);
  for (int i = 0; i < 8; ++i) text += static_cast<char16_t>(u'a' + (h >> (4 * i) & 0xF));
  return text;
}
const DocumentCheck kOwnersKey = [](std::string_view bytes, std::u16string_view signature) {
  return signature == FakeSign(bytes);
};

// The owner's document, signed as the publisher signs it (DocSig last).
std::u16string Signed(const std::u16string& entries, char16_t keyId = u'K') {
  return entries + u"DocSig=" + FakeSign(DocumentSignedBytes(entries), keyId) + u";";
}

constexpr char16_t kOwners[] =
    u"Home=https://h/;Statistic=https://h/stat;Feedback=;Donate=;MinVer=0.5;StableVer=0.5.2;"
    u"StableUrl=https://h/T.exe;StableHash=CBF43926;StableTips=a/b;";

TEST(SignedDocument, TheSignedBytesNameTheProgramAndEveryEntryItReads) {
  const std::string bytes = DocumentSignedBytes(u"MinVer=0.5;StableVer=0.5.2;");
  EXPECT_EQ(bytes.substr(0, 24), std::string("Tavik update document 1\0", 24));
  // Ten entries, each counted: Home to StableHash and StableSig empty, then MinVer and StableVer.
  std::string want = std::string("Tavik update document 1\0", 24);
  const auto add = [&](const std::string& ascii) {
    want += std::string{static_cast<char>(ascii.size() * 2), 0, 0, 0};
    for (const char c : ascii) want += std::string{c, 0};
  };
  for (const char* v : {"", "", "", "", "0.5", "0.5.2", "", "", "", ""}) add(v);
  EXPECT_EQ(bytes, want);
  // What the program does not read is not covered; what it reads is, wherever it stands.
  EXPECT_EQ(DocumentSignedBytes(u"Junk;MinVer=0.5;X=1;StableVer=0.5.2;"), bytes);
  EXPECT_EQ(DocumentSignedBytes(u"StableVer=0.5.2;MinVer=0.5;"), bytes);
  EXPECT_NE(DocumentSignedBytes(u"MinVer=0.5;StableVer=0.5.2;StableTips=x;"), bytes);
  // Moving a value from one entry to another changes the bytes.
  EXPECT_NE(DocumentSignedBytes(u"Feedback=a;Donate=;"), DocumentSignedBytes(u"Feedback=;Donate=a;"));
}

struct KeyedCase {
  const char* name;
  std::u16string document;
  bool tooOld, announce, visits;
};

TEST(SignedDocument, AProgramWithAKeyActsOnlyOnTheOwnersDocument) {
  std::u16string changedMin = Signed(kOwners);
  changedMin.replace(changedMin.find(u"MinVer=0.5;"), 11, u"MinVer=9.9;");
  std::u16string changedStat = Signed(kOwners);
  changedStat.replace(changedStat.find(u"https://h/stat"), 14, u"http://192.168.1.1/x");
  const KeyedCase cases[] = {
      {"signed", Signed(kOwners), false, true, true},
      {"signed, minimum above", Signed(u"Statistic=https://h/stat;MinVer=0.6;"), true, false, true},
      {"one entry changed: a kill switch", changedMin, false, false, false},
      {"one entry changed: another visit", changedStat, false, false, false},
      {"no signature", kOwners, false, false, false},
      {"empty signature", std::u16string(kOwners) + u"DocSig=;", false, false, false},
      {"another key", Signed(kOwners, u'X'), false, false, false},
      // The program reads the first Donate; one added later changes nothing it acts on.
      {"an unread entry added", Signed(kOwners) + u"Donate=https://evil/;", false, true, true},
  };
  for (const KeyedCase& c : cases) {
    SCOPED_TRACE(c.name);
    const UpdateOutcome out = EvaluateUpdate(Base64(1, c.document), kBuiltIn, kRunning, {}, kOwnersKey);
    EXPECT_EQ(out.tooOld, c.tooOld);
    EXPECT_EQ(out.announce, c.announce);
    EXPECT_EQ(out.statisticUrl.empty(), !c.visits);
    if (!c.visits) {  // treated as no answer
      EXPECT_EQ(out.info, EvaluateUpdate(u"", kBuiltIn, kRunning, {}).info);
    }
  }
}

TEST(SignedDocument, AProgramWithAKeyIsOfferedOnlyALaterRelease) {
  const struct {
    const char16_t* release;
    bool withKey, withoutKey;
  } rows[] = {
      {u"0.5.2", true, true},    {u"0.5.10", true, true},  // 0.5.1 is a prefix of it
      {u"0.6", true, true},      {u"0.5.1", false, false},  // the running one
      {u"0.4.9", false, true},   {u"0.10", false, true},    // text order: 0.10 before 0.5.1
      {u"0.5.01", false, true},  {u"", false, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(ToAnsi(row.release));
    const std::u16string entries = u"StableVer=" + std::u16string(row.release) + u";StableUrl=https://h/T.exe;";
    EXPECT_EQ(OffersRelease(kRunning, row.release, true), row.withKey);
    EXPECT_EQ(OffersRelease(kRunning, row.release, false), row.withoutKey);
    EXPECT_EQ(EvaluateUpdate(Base64(1, Signed(entries)), kBuiltIn, kRunning, {}, kOwnersKey).announce, row.withKey);
    EXPECT_EQ(EvaluateUpdate(Base64(1, entries), kBuiltIn, kRunning, {}).announce, row.withoutKey);
  }
}

TEST(SignedDocument, TheSignatureEntryIsWrittenLastAndReadsBack) {
  UpdateDocument doc;
  doc.stableVer = u"0.5.2";
  doc.stableSig = u"rel";
  doc.docSig = u"AbC+/==";
  std::string why;
  const std::u16string text = BuildUpdateDocument(doc, &why);
  ASSERT_FALSE(text.empty()) << why;
  EXPECT_EQ(text.substr(text.size() - 15), u"DocSig=AbC+/==;");
  doc.docSig.clear();
  EXPECT_EQ(BuildUpdateDocument(doc, &why).find(u"DocSig="), std::u16string::npos);
  doc.docSig = u"x;StableVer=9";
  EXPECT_EQ(BuildUpdateDocument(doc, &why), u"");
}

}  // namespace
}  // namespace tavik
