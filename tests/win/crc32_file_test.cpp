// The CRC of the downloaded release, read from the file in pieces.
#include "online/crc32.h"

#include <gtest/gtest.h>

#include "tests/win/test_util.h"

namespace tavik {
namespace {

TEST(Crc32File, ReadsWholeFilesInPiecesAndNothingElse) {
  // 200000 bytes, several read pieces long; its CRC was computed with zlib.
  std::string data(200000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(((i * 7) ^ (i >> 8)) & 0xFF);
  test::TempDir dir;
  test::WriteFileBytes(dir.File(L"release file.bin"), data);
  test::WriteFileBytes(dir.File(L"新版本 Tavik.exe"), data);  // a name outside the code page
  test::WriteFileBytes(dir.File(L"empty.bin"), "");
  const std::pair<std::wstring, std::u16string> cases[] = {
      {dir.File(L"release file.bin"), u"94D2F137"},
      {dir.File(L"新版本 Tavik.exe"), u"94D2F137"},
      {dir.File(L"empty.bin"), u"00000000"},
      {dir.File(L"missing.bin"), u""},
      {dir.path(), u""},  // a folder is not a file
  };
  for (const auto& [path, crc] : cases) EXPECT_EQ(FileCrc32(path), crc);
}

}  // namespace
}  // namespace tavik
