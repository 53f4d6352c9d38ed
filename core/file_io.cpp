#include "core/file_io.h"

#include <windows.h>

#include <algorithm>

#include "core/scoped.h"
#include "core/system_library.h"
#include "core/window.h"

namespace tavik {
namespace {

constexpr int kRenameAttempts = 20;
constexpr DWORD kRenameRetryMs = 10;

}  // namespace

ReadResult ReadWholeFile(const std::wstring& path, std::string& out, std::uint64_t maxBytes) {
  out.clear();
  ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::Missing
                                                                          : ReadResult::Unreadable;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || static_cast<std::uint64_t>(size.QuadPart) > maxBytes)
    return ReadResult::Unreadable;
  out.resize(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!out.empty() && (!ReadFile(file.get(), out.data(), static_cast<DWORD>(out.size()), &read, nullptr) ||
                       read != out.size())) {
    out.clear();
    return ReadResult::Unreadable;
  }
  return ReadResult::Read;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsReadOnlyFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

std::wstring LinkTarget(const std::wstring& path) {
  const ScopedFile file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return path;
  std::wstring final(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetFinalPathNameByHandleW(file.get(), final.data(), static_cast<DWORD>(final.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return path;
    if (n < final.size()) {
      final.resize(n);
      break;
    }
    final.resize(n);
  }
  // "\\?\C:\..." or "\\?\UNC\server\share\...": the plain form, as the rest of the program writes paths.
  if (final.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + final.substr(8);
  if (final.compare(0, 4, L"\\\\?\\") == 0) return final.substr(4);
  return final;
}

namespace {

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return path;
    if (n < full.size()) {
      full.resize(n);
      return full;
    }
    full.resize(n);
  }
}

}  // namespace

bool IsLink(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
  // A link the system does not mark (wine's view of a Unix link): the name leads to a file
  // in another place than the one the name stands in.
  const std::wstring full = FullPath(path);
  const size_t slash = full.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return false;
  const std::wstring target = LinkTarget(full);
  const std::wstring place = LinkTarget(full.substr(0, slash + 1)) + L"\\" + full.substr(slash + 1);
  return CompareStringOrdinal(target.c_str(), -1, place.c_str(), -1, TRUE) != CSTR_EQUAL &&
         CompareStringOrdinal(target.c_str(), -1, full.c_str(), -1, TRUE) != CSTR_EQUAL;
}

bool RemoveLeftover(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  // A link the system marks as one is deleted itself. Any other link is left alone: wine, for
  // one, deletes the target of a Unix link instead.
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsLink(path))
    return false;
  return DeleteFileW(path.c_str()) != FALSE;
}

std::wstring PendingWritePath(const std::wstring& path) { return path + L".new"; }

namespace {

// Attributes a save keeps; read-only is not among them, since a read-only file is never saved.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// Who may read and write the file (its access list), as the system reports it; "" when it
// cannot say. Through advapi32, loaded at the first save.
std::string AccessList(const std::wstring& path) {
  static const auto get = SystemFunction<decltype(&::GetFileSecurityW)>(L"advapi32.dll", "GetFileSecurityW");
  DWORD needed = 0;
  if (!get || (get(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed), needed == 0)) return {};
  std::string descriptor(needed, '\0');
  if (!get(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed)) return {};
  return descriptor;
}

// The file that replaces another gets its access list, when the folder did not give it the
// same one already (as it does for an ordinary file, which then stays as the system made it).
void CopyAccessList(const std::wstring& from, const std::wstring& to) {
  static const auto set = SystemFunction<decltype(&::SetFileSecurityW)>(L"advapi32.dll", "SetFileSecurityW");
  std::string list = AccessList(from);
  if (set && !list.empty() && list != AccessList(to)) set(to.c_str(), DACL_SECURITY_INFORMATION, list.data());
}

}  // namespace

WriteResult WriteFileAtomic(const std::wstring& path, std::string_view bytes, std::string_view seal) {
  const std::wstring temp = PendingWritePath(path);
  const DWORD existing = GetFileAttributesW(path.c_str());
  const DWORD attributes = existing == INVALID_FILE_ATTRIBUTES || (existing & kKeptAttributes) == 0
                               ? FILE_ATTRIBUTE_NORMAL
                               : existing & kKeptAttributes;
  auto create = [&] {
    // Made new: whatever has the name already (a copy an interrupted save left, a link
    // someone planted) is never opened, let alone written through.
    return CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
  };
  ScopedFile file(create());
  if (!file) {
    const DWORD error = GetLastError();
    const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                       GetFileAttributesW(temp.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!taken) return WriteResult::FolderNotWritable;
    // A leftover copy goes; a folder, a read-only file or a link stays in the way.
    if (!RemoveLeftover(temp)) return WriteResult::TempInTheWay;
    file.Reset(create());
    if (!file) return WriteResult::TempInTheWay;
  }
  // The copy is sealed and flushed before the seal is cut off again: a copy left by a crash
  // counts as finished only with its seal.
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(bytes.size());
  bool ok = WriteAll(file.get(), bytes) && WriteAll(file.get(), seal) && FlushFileBuffers(file.get());
  if (ok && !seal.empty())
    ok = SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get()) &&
         FlushFileBuffers(file.get());
  ok = file.Close() && ok;
  if (!ok) {
    DeleteFileW(temp.c_str());
    return WriteResult::WriteFailed;
  }
  if (existing != INVALID_FILE_ATTRIBUTES) CopyAccessList(path, temp);
  // One rename over the old file: ReplaceFileW moves the old file away first, and a crash
  // in that gap would leave no data file at all. The rename is refused while another program
  // (a virus scanner, a backup, an editor) has the file open for a moment: try again.
  for (int attempt = 0; attempt < kRenameAttempts; ++attempt) {
    if (MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return WriteResult::Written;
    const DWORD error = GetLastError();
    if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) break;
    Sleep(kRenameRetryMs);
  }
  DeleteFileW(temp.c_str());
  return WriteResult::FileInUse;
}

}  // namespace tavik
