#include "core/ansi.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

struct AnsiCase {
  std::u16string text;
  std::string bytes;
};

TEST(Ansi, GbkTextIsStoredAsGbk) {
  const AnsiCase cases[] = {
      {u"", ""},
      {u"abc;,", "abc;,"},
      {u"不循环", "\xB2\xBB\xD1\xAD\xBB\xB7"},
      {u" (已完成)", " (\xD2\xD1\xCD\xEA\xB3\xC9)"},
      {u"周135", "\xD6\xDC" "135"},
      {u"€", "\x80"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToAnsi(c.text), c.bytes);
    EXPECT_EQ(FromAnsi(c.bytes), c.text);
  }
}

TEST(Ansi, CharactersOutsideGbkSurviveAsFourByteSequences) {
  const AnsiCase cases[] = {
      {u"\U0001F600", "\x94\x39\xFC\x36"},  // an emoji (outside the BMP)
      {u"\u00C4", "\x81\x30\x87\x32"},      // Ä: GB18030 only
      {u"\u4E02", "\x81\x40"},              // a rare character GBK does hold
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToAnsi(c.text), c.bytes);
    EXPECT_EQ(FromAnsi(c.bytes), c.text);
  }
  const std::u16string mixed = u"提醒 \U0001F600 \u00C4rger \U00020BB7";
  EXPECT_EQ(FromAnsi(ToAnsi(mixed)), mixed);
  EXPECT_EQ(ToAnsi(mixed).find('?'), std::string::npos);
}

TEST(Ansi, BrokenBytesDecodeToReplacementCharacters) {
  const AnsiCase cases[] = {
      {u"a\uFFFD", "a\xB2"},          // lead byte at the end
      {u"\uFFFD", "\xFF"},
      {u"\uFFFD" "0a", "\x81\x30" "a"},  // half a four-byte sequence
  };
  for (const auto& c : cases) EXPECT_EQ(FromAnsi(c.bytes), c.text);
}

}  // namespace
}  // namespace tavik
