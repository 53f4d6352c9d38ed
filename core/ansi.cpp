#include "core/ansi.h"

namespace tavik {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000 && cp <= 0x10FFFF) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}

bool InRange(unsigned char c, unsigned lo, unsigned hi) { return c >= lo && c <= hi; }

}  // namespace

std::string ToAnsi(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    const std::string bytes = detail::EncodeCodePoint(cp);
    out += bytes.empty() ? std::string("?") : bytes;  // only a lone surrogate ends here
  }
  return out;
}

std::u16string FromAnsi(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      ++i;
    } else if (b == 0x80) {  // code page 936's one single-byte extra
      out += u'\u20AC';
      ++i;
    } else if (b == 0xFF || i + 1 >= bytes.size()) {
      out += static_cast<char16_t>(kReplacement);
      ++i;
    } else if (InRange(static_cast<unsigned char>(bytes[i + 1]), 0x30, 0x39)) {
      if (i + 3 < bytes.size() && InRange(static_cast<unsigned char>(bytes[i + 2]), 0x81, 0xFE) &&
          InRange(static_cast<unsigned char>(bytes[i + 3]), 0x30, 0x39)) {
        AppendUtf16(out, detail::DecodeSequence(bytes.substr(i, 4)));
        i += 4;
      } else {
        out += static_cast<char16_t>(kReplacement);
        ++i;
      }
    } else {
      AppendUtf16(out, detail::DecodeSequence(bytes.substr(i, 2)));
      i += 2;
    }
  }
  return out;
}

std::u16string Ascii(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace tavik
