// CRC-32 of ISO-HDLC / IEEE 802.3 (zlib's): reflected polynomial 0xEDB88320, initial value
// all ones, final complement. The update document carries it for the release file.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <string>
#include <string_view>

namespace tavik {

// Entry i: i shifted right eight times, XOR-ing 0xEDB88320 after each shift that drops a 1.
const std::array<std::uint32_t, 256>& Crc32Table() noexcept;

// Continues a CRC over bytes from an earlier result (0 to start), so a file can be
// checked piece by piece: Crc32Buffer(b, Crc32Buffer(a)) == Crc32Buffer(a + b).
std::uint32_t Crc32Buffer(std::string_view bytes, std::uint32_t crc = 0) noexcept;

// Exactly 8 upper-case hexadecimal digits, leading zeros kept: 0x0000ABCD -> "0000ABCD".
std::u16string Crc32Text(std::uint32_t crc);

// The CRC text of everything the stream still holds, read in pieces; "" on a read error.
std::u16string StreamCrc32(std::istream& in);

// The CRC text of a whole file; "" when it cannot be opened or read. On Windows pass the
// wide path (std::filesystem::path from the UTF-16 name) so any file name works.
std::u16string FileCrc32(const std::filesystem::path& path);

}  // namespace tavik
