#include "core/instance.h"

#include <cstdint>

#include "core/app_paths.h"
#include "core/file_io.h"
#include "core/scoped.h"
#include "core/wide.h"
#include "core/window.h"

namespace tavik {

std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring CfgPathOfThisProgram() { return Wide(CfgPathFor(U16(ProgramPath()))); }

namespace {

std::wstring Upper(std::wstring text) {
  CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// The folder itself, however it is reached (a short name, a mapped drive, "..\"): its
// volume and file index; failing that, its full long path.
std::wstring FolderIdentity(const std::wstring& folder) {
  const ScopedFile h(CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (h) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(h.get(), &info)) {
      wchar_t id[40];
      wsprintfW(id, L"%08X:%08X%08X", info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow);
      return id;
    }
  }
  std::wstring full(MAX_PATH, L'\0');
  DWORD n = GetFullPathNameW(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) return Upper(folder);
  full.resize(n);
  std::wstring longer(MAX_PATH, L'\0');
  n = GetLongPathNameW(full.c_str(), longer.data(), static_cast<DWORD>(longer.size()));
  if (n > 0 && n < longer.size()) {
    longer.resize(n);
    full = longer;
  }
  return Upper(full);
}

}  // namespace

std::wstring InstanceName(const std::wstring& cfgPath) {
  const size_t slash = cfgPath.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"." : cfgPath.substr(0, slash + 1);
  const std::wstring file = slash == std::wstring::npos ? cfgPath : cfgPath.substr(slash + 1);
  // File names compare without case on Windows; the whole may be too long for a name.
  const std::wstring key = FolderIdentity(folder) + L"|" + Upper(file);
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (wchar_t c : key) {
    hash ^= static_cast<std::uint16_t>(c);
    hash *= 16777619u;
  }
  wchar_t name[32];
  wsprintfW(name, L"Tavik.%08X", hash);
  return name;
}

std::wstring LockFilePath(const std::wstring& cfgPath) { return LinkTarget(cfgPath) + L".lock"; }

HANDLE LockDataFile(const std::wstring& cfgPath) {
  // The lock is the open handle, not the file: a file a crash left behind locks nothing, and
  // nothing is ever written to it. It stays (hidden) when the program ends: a file waiting to
  // be deleted refuses a second start with another error than a held lock, and a name that is
  // a link may be deleted through to its target.
  return CreateFileW(LockFilePath(cfgPath).c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN,
                     nullptr);
}

Claim ClaimDataFile(const std::wstring& instanceName, const std::wstring& cfgPath) {
  // Both are kept for the whole run; the system releases them when the process ends.
  const HANDLE claim = CreateMutexW(nullptr, FALSE, (L"Local\\" + instanceName).c_str());
  if (claim && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(claim);
    return Claim::RunningHere;
  }
  if (LockDataFile(cfgPath) == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION)
    return Claim::RunningElsewhere;
  return Claim::Ours;  // also when a claim cannot be made at all: better two programs than none
}

std::u16string RunningElsewhereMessage(const std::wstring& cfgPath) {
  return u"Tavik 已经在另一个用户或另一台电脑上使用这个数据文件：\n" + U16(cfgPath) +
         u"\n\n两个程序同时保存会互相覆盖任务，所以这里不再启动。请在那里关闭 Tavik 后再启动。";
}

void MarkInstanceWindow(HWND hwnd, const std::wstring& instanceName) {
  SetPropW(hwnd, instanceName.c_str(), reinterpret_cast<HANDLE>(1));
}

namespace {

struct InstanceSearch {
  const std::wstring* name;
  HWND found;
};

BOOL CALLBACK FindInstanceWindow(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<InstanceSearch*>(lp);
  if (!GetPropW(hwnd, search->name->c_str())) return TRUE;
  search->found = hwnd;
  return FALSE;
}

}  // namespace

bool ShowRunningInstance(const std::wstring& instanceName) {
  InstanceSearch search{&instanceName, nullptr};
  EnumWindows(&FindInstanceWindow, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return false;
  ShowWindow(search.found, SW_SHOW);
  SetForegroundWindow(search.found);
  return true;
}

}  // namespace tavik
