#include "core/ansi.h"

#include <gtest/gtest.h>

#include "online/crc32.h"

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

// Characters on which code page 936 and GB18030-2005 disagree, and their neighbours. The bytes
// are those of tests/core/gb18030_reference.py.
TEST(Ansi, CodesThatCodePage936AndGb18030ReadDifferentlyKeepBoth) {
  const AnsiCase cases[] = {
      {u"\u4DAE", "\x83\x36\xCF\x39"},  // 䶮, used in names: GB18030-2005 puts it at FE9F
      {u"\u2E81", "\x83\x36\xC9\x34"},  // a CJK radical (FE50)
      {u"\u01F9", "\x83\x36\xC8\x30"},  // ǹ (A8BF)
      {u"\u303E", "\x83\x36\xC8\x31"},  // (A989)
      {u"\u2FFB", "\x83\x36\xC9\x33"},  // (A995)
      {u"\uE815", "\xFE\x50"},            // code page 936's own reading of FE50
      {u"\uE7C8", "\xA8\xBF"},
      {u"\uE76C", "\xA2\xE3"},
      {u"\uE000", "\xAA\xA1"},            // the user-defined areas
      {u"\uF8F5", "\x83\x39\xFE\x30"},  // not the byte FF, which reads back as nothing
      {u"\uE865", "\x83\x36\xD0\x30"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToAnsi(c.text), c.bytes) << std::hex << static_cast<unsigned>(c.text[0]);
    EXPECT_EQ(FromAnsi(c.bytes), c.text) << std::hex << static_cast<unsigned>(c.text[0]);
  }
}

// Every Unicode scalar value comes back as it was, and all of them together are stored
// exactly as the independent reference stores them (GBK bytes for what GBK holds).
TEST(Ansi, EveryScalarValueComesBackAndIsStoredAsTheReferenceSays) {
  std::u16string all;
  all.reserve(0x110000 * 2);
  for (char32_t cp = 0; cp < 0x110000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    if (cp < 0x10000) {
      all += static_cast<char16_t>(cp);
    } else {
      all += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      all += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
  }
  const std::string bytes = ToAnsi(all);
  const std::u16string back = FromAnsi(bytes);
  if (back != all) {
    size_t i = 0;
    while (i < back.size() && i < all.size() && back[i] == all[i]) ++i;
    ADD_FAILURE() << "first character not coming back: U+" << std::hex << static_cast<unsigned>(all[i]);
  }
  EXPECT_EQ(Crc32Text(Crc32Buffer(bytes)), u"2EBAD6CC");  // tests/core/gb18030_reference.py
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
