#include "tools/atomic_file.h"

#include <algorithm>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace tavik {

namespace fs = std::filesystem;

#ifdef _WIN32

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* why) {
  const std::wstring target = fs::u8path(path).wstring();
  const std::wstring temp = target + L".tavik-new";
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *why = "cannot create " + path + ".tavik-new";
    return false;
  }
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    DWORD n = 0;
    ok = WriteFile(file, bytes.data() + done, piece, &n, nullptr) && n == piece;
    done += n;
  }
  ok = FlushFileBuffers(file) && ok;
  ok = CloseHandle(file) && ok;
  ok = ok && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) {
    *why = "cannot write " + path + " (left as it was)";
    DeleteFileW(temp.c_str());
  }
  return ok;
}

#else

bool WriteAllAndClose(int fd, const std::string& bytes) {
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) ok = false;
    else done += static_cast<std::size_t>(n);
  }
  ok = fsync(fd) == 0 && ok;
  return close(fd) == 0 && ok;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* why) {
  const std::string temp = path + ".tavik-new";
  struct stat old {};
  const bool existed = stat(path.c_str(), &old) == 0;
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    *why = "cannot create " + temp + ": " + std::strerror(errno);
    return false;
  }
  bool ok = !existed || fchmod(fd, old.st_mode & 07777) == 0;
  if (ok)
    ok = WriteAllAndClose(fd, bytes);
  else
    close(fd);
  ok = ok && rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    *why = "cannot write " + path + " (left as it was): " + std::strerror(errno);
    unlink(temp.c_str());
    return false;
  }
  // The rename itself reaches the disk with the folder.
  const std::string folder = fs::u8path(path).parent_path().u8string();
  const int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

#endif

}  // namespace tavik
