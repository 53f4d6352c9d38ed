// CRC-32 of ISO-HDLC / IEEE 802.3 (zlib's): reflected polynomial 0xEDB88320, initial value
// all ones, final complement. The update document carries it for the release file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavik {

// Continues a CRC over bytes from an earlier result (0 to start), so a file can be
// checked piece by piece: Crc32Buffer(b, Crc32Buffer(a)) == Crc32Buffer(a + b).
std::uint32_t Crc32Buffer(std::string_view bytes, std::uint32_t crc = 0) noexcept;

// Exactly 8 upper-case hexadecimal digits, leading zeros kept: 0x0000ABCD -> "0000ABCD".
std::u16string Crc32Text(std::uint32_t crc);

#ifdef _WIN32
// The CRC text of a whole file, read in pieces; "" when it is no file or cannot be read.
std::u16string FileCrc32(const std::wstring& path);
#endif

}  // namespace tavik
