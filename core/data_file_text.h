// The data file's bytes as the INI layer sees them, and the seal of a save's temporary copy.
// Both are plain byte rules, so they are tested natively and fuzzed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavik {

// A file an editor saved as "Unicode" starts with a UTF-16 byte-order mark. The INI layer
// works on 8-bit text, so such a file is read as WTF-8 (UTF-8 that also carries an unpaired
// surrogate) and written back as UTF-16 in the same byte order: every code unit the user had
// comes back, and the file never holds two encodings.
enum class FileEncoding { Bytes, Utf16Le, Utf16Be };

struct FileText {
  FileEncoding encoding = FileEncoding::Bytes;
  std::string text;     // Bytes: the file itself; UTF-16: its WTF-8 form, without the mark
  std::string oddByte;  // UTF-16 only: a last byte that makes no code unit, kept at the end
};

// `file` is consumed: a UTF-16 file is converted and its bytes freed, others are moved.
FileText DecodeFileText(std::string&& file);
// The file's bytes for `text` in `encoding` (the inverse of DecodeFileText).
std::string EncodeFileText(FileEncoding encoding, std::string_view text, std::string_view oddByte);

// A save writes its temporary copy as the new file's bytes followed by a seal line that
// names their length and checksum, flushes it, and cuts the seal off again just before the
// rename, so the file itself never holds one. A copy left behind counts as finished only when
// it ends in the seal of exactly what stands in front of it. (A file holding a line that is
// the seal of everything above it, which only someone forging one writes, could be cut right
// after that line and be taken as what stands above it: that cut is a whole copy of it.)
std::string SealOf(std::string_view content);
// The content of a sealed copy, or nullopt when `copy` is not one (cut short, torn, unsealed).
std::optional<std::string_view> Unsealed(std::string_view copy);

}  // namespace tavik
