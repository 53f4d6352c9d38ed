// A small but well-formed 32-bit Windows program file with a version resource, as the
// publisher reads it: the release file of the publisher's tests.
#pragma once

#include <string>

namespace tavik::test {

namespace detail {

inline void Put16(std::string* s, std::size_t at, unsigned v) {
  if (s->size() < at + 2) s->resize(at + 2, '\0');
  (*s)[at] = static_cast<char>(v & 0xFF);
  (*s)[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}
inline void Put32(std::string* s, std::size_t at, unsigned v) {
  Put16(s, at, v & 0xFFFF);
  Put16(s, at + 2, v >> 16);
}
inline void Pad4(std::string* s) { s->resize((s->size() + 3) & ~std::size_t{3}, '\0'); }

// One block of a version resource: header, key, value and children, each 4-byte aligned.
inline std::string Block(const std::u16string& key, const std::string& value, bool text, unsigned valueLength,
                         const std::string& children) {
  std::string b(6, '\0');
  for (const char16_t c : key + u'\0') Put16(&b, b.size(), c);
  Pad4(&b);
  b += value;
  Pad4(&b);
  b += children;
  Put16(&b, 0, static_cast<unsigned>(b.size()));
  Put16(&b, 2, valueLength);
  Put16(&b, 4, text ? 1 : 0);
  return b;
}

inline std::string Text(const std::u16string& key, const std::u16string& value) {
  std::string bytes;
  for (const char16_t c : value + u'\0') Put16(&bytes, bytes.size(), c);
  return Block(key, bytes, true, static_cast<unsigned>(value.size() + 1), "");
}

}  // namespace detail

// A program file whose version resource says productVersion (and fileVersion), followed by tail.
inline std::string ReleaseFile(const std::u16string& productVersion, const std::string& tail = "",
                               const std::u16string& fileVersion = u"") {
  using namespace detail;
  std::string fixed(52, '\0');
  Put32(&fixed, 0, 0xFEEF04BD);
  Put32(&fixed, 4, 0x10000);
  std::string strings = Text(u"FileVersion", fileVersion.empty() ? productVersion : fileVersion);
  Pad4(&strings);
  strings += Text(u"ProductVersion", productVersion);
  const std::string table = Block(u"040904b0", "", true, 0, strings);
  const std::string info = Block(u"StringFileInfo", "", true, 0, table);
  const std::string version = Block(u"VS_VERSION_INFO", fixed, false, 52, info);

  // Type 16 -> name 1 -> language 0x409 -> the data entry, then the block.
  std::string rsrc(0x58, '\0');
  Put16(&rsrc, 0x0E, 1);
  Put32(&rsrc, 0x10, 16);
  Put32(&rsrc, 0x14, 0x80000000u | 0x18);
  Put16(&rsrc, 0x18 + 0x0E, 1);
  Put32(&rsrc, 0x28, 1);
  Put32(&rsrc, 0x2C, 0x80000000u | 0x30);
  Put16(&rsrc, 0x30 + 0x0E, 1);
  Put32(&rsrc, 0x40, 0x409);
  Put32(&rsrc, 0x44, 0x48);
  Put32(&rsrc, 0x48, 0x1000 + 0x58);
  Put32(&rsrc, 0x4C, static_cast<unsigned>(version.size()));
  rsrc += version;

  std::string file(0x200, '\0');
  file[0] = 'M';
  file[1] = 'Z';
  Put32(&file, 0x3C, 0x40);
  file.replace(0x40, 4, std::string("PE\0\0", 4));
  Put16(&file, 0x44, 0x14C);
  Put16(&file, 0x46, 1);    // one section
  Put16(&file, 0x54, 224);  // optional header size
  const std::size_t optional = 0x58;
  Put16(&file, optional, 0x10B);
  Put32(&file, optional + 92, 16);
  Put32(&file, optional + 96 + 16, 0x1000);
  Put32(&file, optional + 96 + 20, static_cast<unsigned>(rsrc.size()));
  const std::size_t section = optional + 224;
  file.replace(section, 5, ".rsrc");
  Put32(&file, section + 8, static_cast<unsigned>(rsrc.size()));
  Put32(&file, section + 12, 0x1000);
  Put32(&file, section + 16, static_cast<unsigned>(rsrc.size()));
  Put32(&file, section + 20, 0x200);
  return file + rsrc + tail;
}

// The release the tests publish and verify: version 0.5.2 and a body of its own, over three
// 64 KiB pieces of a check that reads the file, so a fault in a later piece shows.
inline std::string Release() {
  std::string tail;
  for (int i = 0; i < 200000; ++i) tail += static_cast<char>((i * 7919) >> 3);
  return ReleaseFile(u"0.5.2", tail);
}

}  // namespace tavik::test
