// Whole-file reads and crash-safe whole-file writes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavik {

// The data file is read whole; anything larger is not one the program made, and is neither
// read nor written over.
inline constexpr std::uint64_t kMaxDataFileBytes = 64ull << 20;

enum class ReadResult { Read, Missing, Unreadable };

// Reads a whole file of at most maxBytes. Missing: there is no file (or only its folder is
// missing); Unreadable: there is one, but it is larger, locked or cannot be read. `out` is
// empty unless Read.
ReadResult ReadWholeFile(const std::wstring& path, std::string& out,
                         std::uint64_t maxBytes = kMaxDataFileBytes);

bool FileExists(const std::wstring& path);
bool IsReadOnlyFile(const std::wstring& path);

// Writes `bytes` to path + ".new", flushes it to disk and renames it over `path` in one step,
// so that the file is always there, whole, old or new: a crash, a full disk or a failed write
// leaves the previous file as it was. True when the new file is in place.
bool WriteFileAtomic(const std::wstring& path, std::string_view bytes);

// The temporary file of WriteFileAtomic.
std::wstring PendingWritePath(const std::wstring& path);

}  // namespace tavik
