#include "core/address.h"

#include <algorithm>

namespace tavik {
namespace {

constexpr char16_t Lower(char16_t c) noexcept { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

}  // namespace

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) noexcept {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(text[i]) != Lower(prefix[i])) return false;
  }
  return true;
}

std::u16string ResolveAddress(std::u16string_view base, std::u16string_view location) {
  while (!location.empty() && location.front() == u' ') location.remove_prefix(1);
  while (!location.empty() && location.back() == u' ') location.remove_suffix(1);
  if (location.empty()) return {};
  for (const char16_t c : location)
    if (c < 0x20 || c == 0x7F) return {};
  if (StartsWithNoCase(location, u"http://") || StartsWithNoCase(location, u"https://")) return std::u16string(location);
  std::size_t schemeEnd = 0;
  if (StartsWithNoCase(base, u"http://")) schemeEnd = 7;
  else if (StartsWithNoCase(base, u"https://")) schemeEnd = 8;
  else return {};
  if (location.substr(0, 2) == u"//") return std::u16string(base.substr(0, schemeEnd - 2)) + std::u16string(location);
  const std::size_t pathStart = std::min(base.find_first_of(u"/?#", schemeEnd), base.size());
  if (location.front() == u'/') return std::u16string(base.substr(0, pathStart)) + std::u16string(location);
  std::u16string_view path = base.substr(pathStart);
  path = path.substr(0, path.find_first_of(u"?#"));
  const std::size_t slash = path.rfind(u'/');
  std::u16string out(base.substr(0, pathStart));
  out += slash == std::u16string_view::npos ? std::u16string(u"/") : std::u16string(path.substr(0, slash + 1));
  out += location;
  return out;
}

}  // namespace tavik
