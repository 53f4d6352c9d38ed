#include "core/codec.h"

#include <gtest/gtest.h>

#include "core/ansi.h"

namespace tavik {
namespace {

struct CodecCase {
  std::u16string plain;
  std::u16string encoded;
};

TEST(Base64, EncodesGbkBytesWithSwappedCase) {
  const CodecCase cases[] = {
      {u"", u""},
      {u"a", u"yq=="},
      {u"ab", u"ywi="},
      {u"abc", u"ywjJ"},
      {u"不", u"SRS="},                                     // GBK B2 BB
      {u"08:30;不循环;abc", u"mdG6mZa7SRVrRBU3o2fIyW=="},  // a whole task record
      {u"Hello, World!", u"sgvSBg8SifDVCMXKiq=="},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Base64(1, c.plain), c.encoded);
    EXPECT_EQ(Base64(0, c.encoded), c.plain);
  }
}

TEST(Base64, LongTextStaysOnOneLine) {
  const std::u16string sixty(60, u'x');
  const std::u16string encoded = Base64(1, sixty);
  EXPECT_EQ(encoded.size(), 80u);
  EXPECT_EQ(encoded.find_first_of(u"\r\n"), std::u16string::npos);
  EXPECT_EQ(Base64(0, encoded), sixty);
}

TEST(Base64, DecodingIsTolerant) {
  const CodecCase cases[] = {
      {u"ab", u"ywi"},         // missing padding
      {u"abc", u"ywjJ=xyz"},   // everything from the first "=" is ignored
      {u"", u"y"},             // one character gives no byte
      {u"", u"="},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(Base64(0, c.encoded), c.plain) << "input size " << c.encoded.size();
}

TEST(Base64, CharactersOutsideTheAlphabetCorruptOnlyTheirGroup) {
  // A line break reads as 63 in its group instead of being skipped.
  const std::string bytes = DecodeBytes("ywjJ\nWJJ");
  ASSERT_EQ(bytes.size(), 6u);
  EXPECT_EQ(bytes.substr(0, 3), "abc");
  EXPECT_NE(bytes.substr(3), "abc");
  // Garbage of any kind decodes to something, never fails.
  for (const char* junk : {"!!!!", "\xff\xfe\x01", "====", "a", "\x80\x81\x82\x83\x84"})
    (void)Base64(0, FromAnsi(junk));
}

// Damaged or hostile records hold characters outside the alphabet. Decoding swaps the case of
// the characters (not of the GBK bytes, whose trail may look like a letter: 丄 is 81 41) and
// counts the characters in front of the first "=" (not the bytes). The expected bytes come
// from tests/core/codec_reference.py, which writes the steps out again on Python's codecs.
TEST(Base64, NonAsciiInputFollowsTheDecodingSteps) {
  const std::pair<std::u16string, std::string> cases[] = {
      {u"\u4e04", ""},
      {u"\u4e04\u4e04\u4e04\u4e04", "\xFC\x0F\xC0"},
      {u"ywjJ\u4e04", "\x61\x62\x63"},
      {u"\u4e2d\u6587=ywjJ", "\xFF"},
      {u"ywjJ=\u4e2d\u6587", "\x61\x62\x63"},
      {u"\u0416", ""},
      {u"aGVsbG8\u4e2d", "\x02\x0B\xD2\x06\x0F\x3F"},
      {u"\u4e0d\u5faa\u73af", "\xFF\xFF"},
      {u"\u2603\u2603=", "\xFF"},
      {u"\U0001f600ywjJ", "\xFF\xDF\xFA\x61"},
      {u"ySbB\u4e04yWjJ", "\x62\xC0\x5B\xFC\x06\x30"},
  };
  for (const auto& [text, bytes] : cases) EXPECT_EQ(Base64(0, text), FromAnsi(bytes)) << ToAnsi(text);
}

TEST(Base64, OtherModesGiveNothing) {
  for (short mode : {2, -1, 100}) EXPECT_EQ(Base64(mode, u"abc"), u"");
}

TEST(Base64, RoundTripsEveryByteValue) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  for (size_t n : {0u, 1u, 2u, 3u, 100u, 256u})
    EXPECT_EQ(DecodeBytes(EncodeBytes(all.substr(0, n))), all.substr(0, n));
}

struct KeyCase {
  std::u16string text, key, sep, want;
};

TEST(GetKeyValue, FindsTheValueClosedBySeparator) {
  const KeyCase cases[] = {
      {u"Home=x;Feedback=y;", u"Feedback=", u";", u"y"},
      {u"Home=x", u"Home=", u";", u""},           // no closing separator
      {u"MinVer=1;", u"Ver=", u";", u"1"},        // found inside a longer key
      {u"a;b;", u"", u";", u"a"},                 // empty key
      {u"ab", u"", u";", u""},
      {u"Home=a;Home=b;", u"Home=", u";", u"a"},  // first occurrence wins
      {u"Home=Home=b;", u"Home=", u";", u""},     // rest ends at the next key
      {u"", u"Home=", u";", u""},
      {u"Tips=更新;", u"Tips=", u";", u"更新"},
      {u"home=x;", u"Home=", u";", u""},          // case-sensitive
  };
  for (const auto& c : cases) EXPECT_EQ(GetKeyValue(c.text, c.key, c.sep), c.want);
}

}  // namespace
}  // namespace tavik
