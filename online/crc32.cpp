#include "online/crc32.h"

#include <array>

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

}  // namespace tavik
