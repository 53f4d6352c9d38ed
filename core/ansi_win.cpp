// The GBK table through code page 936, for the Windows build.
#include <windows.h>

#include "core/ansi.h"

namespace tavik::detail {
namespace {
constexpr UINT kGbk = 936;
}  // namespace

std::string EncodeGbk(char16_t ch) {
  const wchar_t unit = static_cast<wchar_t>(ch);
  char buf[4];
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, &unit, 1, buf, sizeof buf, nullptr, &usedDefault);
  if (n <= 0 || n > 2 || usedDefault) return {};
  const auto first = static_cast<unsigned char>(buf[0]);
  // A single byte other than the euro sign's 0x80 (0xFF for U+F8F5) reads back as nothing.
  if (n == 1 && first != 0x80) return {};
  if (n == 2 && (first < 0x81 || first > 0xFE)) return {};
  return std::string(buf, static_cast<size_t>(n));
}

char16_t DecodeGbk(unsigned char lead, unsigned char trail) {
  const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  wchar_t unit[2];
  const int n = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, in, 2, unit, 2);
  return n == 1 ? static_cast<char16_t>(unit[0]) : u'\uFFFD';
}

}  // namespace tavik::detail
