// The GBK table through iconv, for the native build of the core. glibc's CP936 has none of
// the private-use characters that Windows' code page 936 maps; they come from the generated
// tables, so the rules give the same bytes here as on Windows.
#include <iconv.h>

#include "core/ansi.h"

namespace tavik::detail {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts all of in; false when any of it cannot be converted.
  bool Run(const char* in, size_t inLen, std::string& out) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buf[16];
    char* src = const_cast<char*>(in);
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    if (iconv(cd_, &src, &inLen, &dst, &dstLeft) == static_cast<size_t>(-1) || inLen != 0) return false;
    out.assign(buf, sizeof buf - dstLeft);
    return true;
  }

 private:
  iconv_t cd_;
};

struct PrivateUseRange {
  char16_t first;
  unsigned short code;
  char16_t last;
};
constexpr PrivateUseRange kPrivateUse[] = {
#include "core/gb18030_pua.inc"
};

}  // namespace

std::string EncodeGbk(char16_t ch) {
  thread_local Converter toGbk("CP936", "UTF-16LE");
  const char in[2] = {static_cast<char>(ch & 0xFF), static_cast<char>(ch >> 8)};
  std::string out;
  if (toGbk.Run(in, 2, out) && !out.empty() && out.size() <= 2) return out;
  unsigned code = MovedCodeOf(ch);
  for (const auto& r : kPrivateUse)
    if (!code && ch >= r.first && ch <= r.last) code = r.code + (ch - r.first);
  if (!code) return {};
  return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

char16_t DecodeGbk(unsigned char lead, unsigned char trail) {
  const unsigned code = static_cast<unsigned>(lead) << 8 | trail;
  if (const char16_t pua = MovedPrivateUse(code)) return pua;
  for (const auto& r : kPrivateUse)
    if (code >= r.code && code <= r.code + static_cast<unsigned>(r.last - r.first)) return static_cast<char16_t>(r.first + (code - r.code));
  thread_local Converter fromGbk("UTF-16LE", "CP936");
  const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  std::string out;
  if (!fromGbk.Run(in, 2, out) || out.size() != 2) return u'\uFFFD';
  return static_cast<char16_t>(static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8);
}

}  // namespace tavik::detail
