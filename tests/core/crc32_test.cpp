#include "online/crc32.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
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

TEST(Crc32, StreamsAndFiles) {
  // 200000 bytes, several read pieces long; its CRC was computed with zlib.
  std::string data(200000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) {
    data[i] = static_cast<char>(((i * 7) ^ (i >> 8)) & 0xFF);
  }
  std::istringstream stream(data);
  EXPECT_EQ(StreamCrc32(stream), u"94D2F137");

  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / "tavik_crc32_test";
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / "release file.bin";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
  }
  EXPECT_EQ(FileCrc32(file), u"94D2F137");
  // A name outside the system's code page must open too (the wide path on Windows).
  const std::filesystem::path chinese = dir / std::filesystem::u8path("新版本 Tavik.exe");
  std::filesystem::copy_file(file, chinese);
  EXPECT_EQ(FileCrc32(chinese), u"94D2F137");

  const std::filesystem::path empty = dir / "empty.bin";
  std::ofstream(empty, std::ios::binary | std::ios::trunc).close();
  EXPECT_EQ(FileCrc32(empty), u"00000000");

  EXPECT_EQ(FileCrc32(dir / "missing.bin"), u"");
  EXPECT_EQ(FileCrc32(dir), u"");  // a folder is not a file
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tavik
