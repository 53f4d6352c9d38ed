#include "core/data_file_text.h"

#include <cstdint>

namespace tavik {
namespace {

constexpr std::string_view kSealStart = "\r\n;Tavik save ";  // then 8 + 1 + 16 hex digits, CR LF
constexpr size_t kSealSize = kSealStart.size() + 8 + 1 + 16 + 2;

std::uint64_t Checksum(std::string_view bytes) {  // FNV-1a: finds a torn or cut copy
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

void AppendHex(std::string& out, std::uint64_t value, int digits) {
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += "0123456789ABCDEF"[(value >> shift) & 15];
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendUnit(std::string& out, FileEncoding encoding, std::uint32_t unit) {
  const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
  if (encoding == FileEncoding::Utf16Le) {
    out += low;
    out += high;
  } else {
    out += high;
    out += low;
  }
}

}  // namespace

FileText DecodeFileText(std::string&& file) {
  FileText result;
  const bool le = file.size() >= 2 && file[0] == '\xFF' && file[1] == '\xFE';
  const bool be = file.size() >= 2 && file[0] == '\xFE' && file[1] == '\xFF';
  if (!le && !be) {
    result.text = std::move(file);
    return result;
  }
  result.encoding = le ? FileEncoding::Utf16Le : FileEncoding::Utf16Be;
  const size_t units = (file.size() - 2) / 2;
  if ((file.size() & 1) != 0) result.oddByte = file.substr(file.size() - 1);
  auto unitAt = [&](size_t i) -> std::uint32_t {
    const auto a = static_cast<unsigned char>(file[2 + 2 * i]), b = static_cast<unsigned char>(file[3 + 2 * i]);
    return le ? (b << 8 | a) : (a << 8 | b);
  };
  result.text.reserve(units);  // most of such a file is ASCII
  for (size_t i = 0; i < units; ++i) {
    const std::uint32_t unit = unitAt(i);
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units) {
      const std::uint32_t next = unitAt(i + 1);
      if (next >= 0xDC00 && next < 0xE000) {
        AppendUtf8(result.text, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
        ++i;
        continue;
      }
    }
    AppendUtf8(result.text, unit);  // an unpaired surrogate too, so that it comes back
  }
  std::string().swap(file);
  return result;
}

std::string EncodeFileText(FileEncoding encoding, std::string_view text, std::string_view oddByte) {
  if (encoding == FileEncoding::Bytes) return std::string(text);
  std::string out;
  out.reserve(2 + text.size() * 2 + oddByte.size());
  AppendUnit(out, encoding, 0xFEFF);
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    std::uint32_t cp = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    bool valid = length != 0 && i + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k) {
      const auto c = static_cast<unsigned char>(text[i + k]);
      valid = (c & 0xC0) == 0x80;
      cp = cp << 6 | (c & 0x3F);
    }
    valid = valid && cp <= 0x10FFFF;
    if (!valid) {  // only the program's own lines are added to such a text, and they are ASCII
      AppendUnit(out, encoding, 0xFFFD);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      AppendUnit(out, encoding, 0xD800 + ((cp - 0x10000) >> 10));
      AppendUnit(out, encoding, 0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      AppendUnit(out, encoding, cp);
    }
    i += length;
  }
  out.append(oddByte);
  return out;
}

std::optional<std::string_view> Unsealed(std::string_view copy) {
  if (copy.size() < kSealSize) return std::nullopt;
  const std::string_view content = copy.substr(0, copy.size() - kSealSize);
  if (copy.substr(content.size()) != SealOf(content)) return std::nullopt;
  return content;
}

std::string SealOf(std::string_view content) {
  std::string seal(kSealStart);
  AppendHex(seal, content.size(), 8);
  seal += ' ';
  AppendHex(seal, Checksum(content), 16);
  seal += "\r\n";
  return seal;
}

}  // namespace tavik
