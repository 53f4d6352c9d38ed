// GBK / GB18030 through the system's code-page tables, for the Windows build.
#include <windows.h>

#include "core/ansi.h"

namespace tavik::detail {
namespace {
constexpr UINT kGbk = 936;
constexpr UINT kGb18030 = 54936;
}  // namespace

std::string EncodeCodePoint(char32_t cp) {
  wchar_t units[2];
  int count = 1;
  if (cp >= 0x10000) {
    units[0] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
    units[1] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    count = 2;
  } else {
    units[0] = static_cast<wchar_t>(cp);
  }
  char buf[16];
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, units, count, buf, sizeof buf, nullptr,
                              &usedDefault);
  if (n > 0 && !usedDefault) return std::string(buf, static_cast<size_t>(n));
  n = WideCharToMultiByte(kGb18030, 0, units, count, buf, sizeof buf, nullptr, nullptr);
  if (n > 0 && !(n == 1 && buf[0] == '?')) return std::string(buf, static_cast<size_t>(n));
  return {};
}

char32_t DecodeSequence(std::string_view seq) {
  wchar_t units[4];
  const UINT cp = seq.size() == 2 ? kGbk : kGb18030;
  const int n = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, seq.data(),
                                    static_cast<int>(seq.size()), units, 4);
  if (n == 1) return units[0];
  if (n == 2 && units[0] >= 0xD800 && units[0] <= 0xDBFF)
    return 0x10000 + ((static_cast<char32_t>(units[0]) - 0xD800) << 10) + (units[1] - 0xDC00);
  return 0xFFFD;
}

}  // namespace tavik::detail
