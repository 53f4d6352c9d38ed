// Whole-file reads and crash-safe whole-file writes.
#pragma once

#include <string>
#include <string_view>

namespace tavik {

// False when the file is missing or cannot be read; `out` is then empty.
bool ReadWholeFile(const std::wstring& path, std::string& out);

// Writes `bytes` to a temporary file beside `path`, flushes it to disk and swaps it in with
// one replace, so the old file stays whole if anything fails. True when the new file is in place.
bool WriteFileAtomic(const std::wstring& path, std::string_view bytes);

}  // namespace tavik
