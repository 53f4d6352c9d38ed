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

// The file that holds the bytes of `path`: the target at the end of its symbolic links, or
// `path` itself when it is no link (or there is nothing there yet).
std::wstring LinkTarget(const std::wstring& path);

// True when `path` is a symbolic link (or reaches its file through one).
bool IsLink(const std::wstring& path);

// Deletes a file the program left (a temporary file); false, and nothing deleted, for a
// folder, a read-only file, a file in use or a link that the system would follow.
bool RemoveLeftover(const std::wstring& path);

enum class WriteResult {
  Written,
  TempInTheWay,       // a folder, a read-only or locked file or a link has the temporary file's name
  FolderNotWritable,  // the temporary file cannot be created in the folder
  WriteFailed,        // writing or flushing it failed (a full disk)
  FileInUse,          // the rename over the file was refused
};

// Writes `bytes` and then `seal` to a temporary file made new beside `path` (an old one of
// that name is removed first, never written through), flushes it, cuts the seal off again,
// gives it the attributes and permissions of the file it replaces and renames it over `path`
// in one step, so that the file is always there, whole, old or new: a crash, a full disk or a
// failed write leaves the previous file as it was. `path` is the file itself, not a link.
WriteResult WriteFileAtomic(const std::wstring& path, std::string_view bytes, std::string_view seal = {});

// The temporary file of WriteFileAtomic.
std::wstring PendingWritePath(const std::wstring& path);

}  // namespace tavik
