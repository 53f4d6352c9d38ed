// GBK / GB18030 through iconv, for the native build of the core.
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
    if (iconv(cd_, &src, &inLen, &dst, &dstLeft) == static_cast<size_t>(-1) || inLen != 0)
      return false;
    out.assign(buf, sizeof buf - dstLeft);
    return true;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string EncodeCodePoint(char32_t cp) {
  thread_local Converter gbk("CP936", "UTF-32LE");
  thread_local Converter gb18030("GB18030", "UTF-32LE");
  const char in[4] = {static_cast<char>(cp & 0xFF), static_cast<char>(cp >> 8 & 0xFF),
                      static_cast<char>(cp >> 16 & 0xFF), static_cast<char>(cp >> 24 & 0xFF)};
  std::string out;
  if (gbk.Run(in, 4, out) || gb18030.Run(in, 4, out)) return out;
  return {};
}

char32_t DecodeSequence(std::string_view seq) {
  thread_local Converter fromGbk("UTF-32LE", "CP936");
  thread_local Converter fromGb18030("UTF-32LE", "GB18030");
  std::string out;
  Converter& conv = seq.size() == 2 ? fromGbk : fromGb18030;
  if (!conv.Run(seq.data(), seq.size(), out) || out.size() != 4) return 0xFFFD;
  return static_cast<char32_t>(static_cast<unsigned char>(out[0]) |
                               static_cast<unsigned char>(out[1]) << 8 |
                               static_cast<unsigned char>(out[2]) << 16 |
                               static_cast<unsigned char>(out[3]) << 24);
}

}  // namespace tavik::detail
