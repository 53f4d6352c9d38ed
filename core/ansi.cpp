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

// GB18030's four-byte sequences count through b1 0x81-0xFE, b2 0x30-0x39, b3 0x81-0xFE,
// b4 0x30-0x39. BMP characters outside GBK take indexes below 39420 in code-point order
// (these ranges); the planes above the BMP start at the sequence 90 30 81 30.
struct FourByteRange {
  char32_t first;
  unsigned index;
  char32_t last;
};
constexpr FourByteRange kBmpRanges[] = {
#include "core/gb18030_ranges.inc"
};
constexpr unsigned kSupplementaryBase = 189000;  // index of 90 30 81 30

constexpr detail::MovedCode kMoved[] = {
#include "core/gb18030_moved.inc"
};

std::string FourBytes(unsigned index) {
  std::string out(4, '\0');
  out[3] = static_cast<char>(0x30 + index % 10);
  index /= 10;
  out[2] = static_cast<char>(0x81 + index % 126);
  index /= 126;
  out[1] = static_cast<char>(0x30 + index % 10);
  out[0] = static_cast<char>(0x81 + index / 10);
  return out;
}

std::string EncodeFourBytes(char32_t cp) {
  if (cp >= 0x10000 && cp <= 0x10FFFF) return FourBytes(kSupplementaryBase + (cp - 0x10000));
  for (const auto& m : kMoved)
    if (m.moved != 0 && cp == m.moved) return FourBytes(m.index);
  for (const auto& r : kBmpRanges)
    if (cp >= r.first && cp <= r.last) return FourBytes(r.index + (cp - r.first));
  return {};
}

char32_t DecodeFourBytes(std::string_view seq) {
  const auto b = [&](size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(seq[i])); };
  const unsigned index = (((b(0) - 0x81) * 10 + (b(1) - 0x30)) * 126 + (b(2) - 0x81)) * 10 + (b(3) - 0x30);
  if (index >= kSupplementaryBase) {
    const unsigned cp = 0x10000 + (index - kSupplementaryBase);
    return cp <= 0x10FFFF ? cp : kReplacement;
  }
  for (const auto& m : kMoved)
    if (m.moved != 0 && index == m.index) return m.moved;
  for (const auto& r : kBmpRanges)
    if (index >= r.index && index <= r.index + (r.last - r.first)) return r.first + (index - r.index);
  return kReplacement;
}

}  // namespace

namespace detail {

char16_t MovedPrivateUse(unsigned code) {
  for (const auto& m : kMoved)
    if (m.code == code) return m.privateUse;
  return 0;
}

unsigned MovedCodeOf(char16_t privateUse) {
  for (const auto& m : kMoved)
    if (m.privateUse == privateUse) return m.code;
  return 0;
}

}  // namespace detail

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
    std::string bytes = cp < 0x10000 ? detail::EncodeGbk(static_cast<char16_t>(cp)) : std::string();
    if (bytes.empty()) bytes = EncodeFourBytes(cp);
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
        AppendUtf16(out, DecodeFourBytes(bytes.substr(i, 4)));
        i += 4;
      } else {
        out += static_cast<char16_t>(kReplacement);
        ++i;
      }
    } else {
      out += detail::DecodeGbk(b, static_cast<unsigned char>(bytes[i + 1]));
      i += 2;
    }
  }
  return out;
}

std::u16string Ascii(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace tavik
