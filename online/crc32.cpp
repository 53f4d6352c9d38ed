#include "online/crc32.h"

#include <fstream>
#include <vector>

namespace tavik {
namespace {

constexpr std::array<std::uint32_t, 256> MakeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    table[i] = c;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

}  // namespace

const std::array<std::uint32_t, 256>& Crc32Table() noexcept { return kTable; }

std::uint32_t Crc32Buffer(std::string_view bytes, std::uint32_t crc) noexcept {
  std::uint32_t c = ~crc;
  for (const char ch : bytes) c = (c >> 8) ^ kTable[(c ^ static_cast<unsigned char>(ch)) & 0xFFu];
  return ~c;
}

std::u16string Crc32Text(std::uint32_t crc) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  std::u16string text(8, u'0');
  for (int i = 7; i >= 0; --i, crc >>= 4) text[static_cast<std::size_t>(i)] = kHex[crc & 0xFu];
  return text;
}

std::u16string StreamCrc32(std::istream& in) {
  std::vector<char> piece(64 * 1024);
  std::uint32_t crc = 0;
  while (in) {
    in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
    crc = Crc32Buffer(std::string_view(piece.data(), static_cast<std::size_t>(in.gcount())), crc);
  }
  if (in.bad() || !in.eof()) return {};
  return Crc32Text(crc);
}

std::u16string FileCrc32(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return {};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return StreamCrc32(in);
}

}  // namespace tavik
