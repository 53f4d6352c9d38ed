#include <windows.h>

#include <string>

#include "core/scoped.h"
#include "online/crc32.h"

namespace tavik {

std::u16string FileCrc32(const std::wstring& path) {
  ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};  // also a folder: it does not open without backup semantics
  std::string piece(64 * 1024, '\0');
  std::uint32_t crc = 0;
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file.get(), piece.data(), static_cast<DWORD>(piece.size()), &n, nullptr)) return {};
    if (n == 0) return Crc32Text(crc);
    crc = Crc32Buffer(std::string_view(piece.data(), n), crc);
  }
}

}  // namespace tavik
