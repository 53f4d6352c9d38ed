#include "tools/pe_version.h"

#include <cstdint>

namespace tavik {
namespace {

// Little-endian reads that fail instead of reading past the end.
struct Bytes {
  std::string_view data;

  bool U16(std::size_t at, std::uint32_t* out) const {
    if (at > data.size() || data.size() - at < 2) return false;
    *out = static_cast<unsigned char>(data[at]) | static_cast<unsigned char>(data[at + 1]) << 8;
    return true;
  }
  bool U32(std::size_t at, std::uint32_t* out) const {
    std::uint32_t lo = 0, hi = 0;
    if (!U16(at, &lo) || !U16(at + 2, &hi)) return false;
    *out = lo | hi << 16;
    return true;
  }
};

constexpr std::uint32_t kVersionType = 16;  // RT_VERSION
constexpr std::uint32_t kSubdirectory = 0x80000000u;

struct Sections {
  Bytes file;
  std::size_t table = 0, count = 0;

  // The file offset of a relative virtual address, when a section's raw data holds it.
  bool Offset(std::uint32_t rva, std::size_t* out) const {
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t at = table + i * 40;
      std::uint32_t virtualSize = 0, address = 0, rawSize = 0, rawAt = 0;
      if (!file.U32(at + 8, &virtualSize) || !file.U32(at + 12, &address) || !file.U32(at + 16, &rawSize) ||
          !file.U32(at + 20, &rawAt))
        return false;
      if (rva >= address && rva - address < rawSize) {
        *out = static_cast<std::size_t>(rawAt) + (rva - address);
        return *out < file.data.size();
      }
    }
    return false;
  }
};

// The entry of a resource directory at dirAt: the one with id, or the first when id is 0.
bool DirectoryEntry(const Bytes& file, std::size_t dirAt, std::uint32_t id, std::uint32_t* target) {
  std::uint32_t named = 0, ids = 0;
  if (!file.U16(dirAt + 12, &named) || !file.U16(dirAt + 14, &ids)) return false;
  for (std::size_t i = 0; i < named + ids; ++i) {
    std::uint32_t name = 0;
    if (!file.U32(dirAt + 16 + i * 8, &name) || !file.U32(dirAt + 20 + i * 8, target)) return false;
    if (id == 0 || name == id) return true;
  }
  return false;
}

// One block of a version resource: length, value length, type, a NUL-ended UTF-16 key, the
// value and the children, each on a 4-byte boundary from the resource's start.
struct Block {
  std::u16string key;
  std::size_t valueAt = 0, valueLength = 0, childrenAt = 0, end = 0;
  bool text = false;
};

std::size_t Align4(std::size_t at, std::size_t base) { return base + ((at - base + 3) & ~std::size_t{3}); }

bool ReadBlock(const Bytes& res, std::size_t at, std::size_t limit, std::size_t base, Block* b) {
  std::uint32_t length = 0, valueLength = 0, type = 0;
  if (!res.U16(at, &length) || !res.U16(at + 2, &valueLength) || !res.U16(at + 4, &type)) return false;
  if (length < 6 || length > limit - at) return false;
  b->end = at + length;
  b->key.clear();
  std::size_t p = at + 6;
  for (;; p += 2) {
    std::uint32_t c = 0;
    if (p + 2 > b->end || !res.U16(p, &c)) return false;
    if (c == 0) break;
    b->key += static_cast<char16_t>(c);
  }
  b->text = type == 1;
  b->valueAt = Align4(p + 2, base);
  b->valueLength = b->text ? valueLength * 2 : valueLength;  // text counts characters
  if (b->valueAt > b->end) b->valueAt = b->end;
  if (b->valueLength > b->end - b->valueAt) b->valueLength = b->end - b->valueAt;
  b->childrenAt = Align4(b->valueAt + b->valueLength, base);
  return true;
}

// The text value of the String named key under StringFileInfo's first string table.
std::optional<std::u16string> StringValue(const Bytes& res, std::size_t base, const Block& root,
                                          std::u16string_view key) {
  for (std::size_t at = root.childrenAt; at + 6 <= root.end;) {
    Block info;
    if (!ReadBlock(res, at, root.end, base, &info)) return std::nullopt;
    if (info.key == u"StringFileInfo") {
      for (std::size_t t = info.childrenAt; t + 6 <= info.end;) {
        Block table;
        if (!ReadBlock(res, t, info.end, base, &table)) return std::nullopt;
        for (std::size_t s = table.childrenAt; s + 6 <= table.end;) {
          Block str;
          if (!ReadBlock(res, s, table.end, base, &str)) return std::nullopt;
          if (str.key == key) {
            std::u16string value;
            for (std::size_t v = 0; v + 2 <= str.valueLength; v += 2) {
              std::uint32_t c = 0;
              res.U16(str.valueAt + v, &c);
              if (c == 0) break;
              value += static_cast<char16_t>(c);
            }
            return value;
          }
          s = Align4(str.end, base);
        }
        t = Align4(table.end, base);
      }
    }
    at = Align4(info.end, base);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::u16string> ProgramVersionOf(std::string_view data) {
  const Bytes file{data};
  std::uint32_t peAt = 0, signature = 0, sectionCount = 0, optionalSize = 0, magic = 0;
  if (data.substr(0, 2) != "MZ" || !file.U32(0x3C, &peAt) || !file.U32(peAt, &signature) ||
      signature != 0x4550)  // "PE\0\0"
    return std::nullopt;
  const std::size_t optionalAt = std::size_t{peAt} + 24;
  if (!file.U16(peAt + 6, &sectionCount) || !file.U16(peAt + 20, &optionalSize) || !file.U16(optionalAt, &magic))
    return std::nullopt;
  const std::size_t directories = magic == 0x10B ? 96 : magic == 0x20B ? 112 : 0;
  std::uint32_t directoryCount = 0, resourceRva = 0;
  if (directories == 0 || !file.U32(optionalAt + directories - 4, &directoryCount) || directoryCount < 3 ||
      directories + 3 * 8 > optionalSize || !file.U32(optionalAt + directories + 2 * 8, &resourceRva) ||
      resourceRva == 0)
    return std::nullopt;
  const Sections sections{file, optionalAt + optionalSize, sectionCount};

  // Type, name, language: three levels of directories down to the data entry.
  std::size_t root = 0;
  if (!sections.Offset(resourceRva, &root)) return std::nullopt;
  // Each level but the last points to a directory, the last to the data entry.
  std::size_t at = root;
  for (int level = 0; level < 3; ++level) {
    std::uint32_t entry = 0;
    if (!DirectoryEntry(file, at, level == 0 ? kVersionType : 0, &entry)) return std::nullopt;
    if (((entry & kSubdirectory) != 0) != (level < 2)) return std::nullopt;
    at = root + (entry & ~kSubdirectory);
  }
  std::uint32_t dataRva = 0, dataSize = 0;
  std::size_t dataAt = 0;
  if (!file.U32(at, &dataRva) || !file.U32(at + 4, &dataSize) || !sections.Offset(dataRva, &dataAt) ||
      dataSize > data.size() - dataAt)
    return std::nullopt;

  const Bytes res{data.substr(0, dataAt + dataSize)};
  Block version;
  if (!ReadBlock(res, dataAt, dataAt + dataSize, dataAt, &version) || version.key != u"VS_VERSION_INFO")
    return std::nullopt;
  for (const std::u16string_view key : {u"ProductVersion", u"FileVersion"}) {
    if (auto text = StringValue(res, dataAt, version, key)) return text;
  }
  return std::nullopt;
}

}  // namespace tavik
