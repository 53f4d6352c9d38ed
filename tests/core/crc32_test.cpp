#include "online/crc32.h"

#include <gtest/gtest.h>

#include <string>

namespace tavik {
namespace {

struct CrcCase {
  std::string bytes;
  std::u16string text;
};

TEST(Crc32, KnownVectors) {
  const CrcCase cases[] = {
      {"", u"00000000"},
      {"123456789", u"CBF43926"},
      {"a", u"E8B7BE43"},
      {"The quick brown fox jumps over the lazy dog", u"414FA339"},
      {"x31", u"001685F0"},  // leading zeros kept: eight digits in all
      {std::string(1 << 20, '\0'), u"A738EA1C"},
      {"\xFF\xFF\xFF\xFF", u"FFFFFFFF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Crc32Text(Crc32Buffer(c.bytes)), c.text) << c.bytes.size() << " bytes";
  }
}

TEST(Crc32, ContinuesAcrossPieces) {
  const std::string whole = "The quick brown fox jumps over the lazy dog\xFF\x00\x80";
  const std::uint32_t expected = Crc32Buffer(whole);
  for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
    EXPECT_EQ(Crc32Buffer(whole.substr(cut), Crc32Buffer(whole.substr(0, cut))), expected)
        << "cut at " << cut;
  }
}

}  // namespace
}  // namespace tavik
