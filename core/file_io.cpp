#include "core/file_io.h"

#include <windows.h>

#include "core/scoped.h"

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

std::wstring PendingWritePath(const std::wstring& path) { return path + L".new"; }

bool WriteFileAtomic(const std::wstring& path, std::string_view bytes) {
  const std::wstring temp = PendingWritePath(path);
  {
    ScopedFile file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    const bool ok = (bytes.empty() || (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                                 &written, nullptr) &&
                                       written == bytes.size())) &&
                    FlushFileBuffers(file.get()) && file.Close();
    if (!ok) {
      file.Close();
      DeleteFileW(temp.c_str());
      return false;
    }
  }
  // One rename over the old file: ReplaceFileW moves the old file away first, and a crash
  // in that gap would leave no data file at all. The rename is refused while another program
  // (a virus scanner, a backup, an editor) has the file open for a moment: try again.
  for (int attempt = 0; attempt < kRenameAttempts; ++attempt) {
    if (MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = GetLastError();
    if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) break;
    Sleep(kRenameRetryMs);
  }
  DeleteFileW(temp.c_str());
  return false;
}

}  // namespace tavik
