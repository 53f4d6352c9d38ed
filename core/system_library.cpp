#include "core/system_library.h"

namespace tavik {

HMODULE LoadSystemLibrary(const wchar_t* name) {
  if (HMODULE loaded = GetModuleHandleW(name)) return loaded;
  wchar_t path[MAX_PATH];
  const UINT n = GetSystemDirectoryW(path, MAX_PATH);
  if (n == 0 || n + 1 + lstrlenW(name) >= MAX_PATH) return nullptr;
  lstrcatW(path, L"\\");
  lstrcatW(path, name);
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE LoadSystemAssembly(const wchar_t* name) {
  // The manifest's assembly decides which library this is; the system folder is searched,
  // never the program's own. Windows 7 without its loader update knows no search flags, and
  // then finds it by the assembly alone.
  HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadLibraryW(name);
  return module;
}

}  // namespace tavik
