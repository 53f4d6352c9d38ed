// The one way the program loads a function of a system library at its first use (most runs
// never need most of them): from the system folder only, never a file of the same name in
// the program's folder, where downloads land.
#pragma once

#include <windows.h>

namespace tavik {

// A library of the system folder, loaded (once) by its full path. Null when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* name);
// A library that the manifest names as a side-by-side assembly (the common controls): the
// assembly's, found through the system folder's search only. Null when it is not there.
HMODULE LoadSystemAssembly(const wchar_t* name);

// A function of a loaded library, as the type F; null when the library or the function is missing.
template <typename F>
F ModuleFunction(HMODULE module, const char* name) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
// The same into `f`; true when it is there.
template <typename F>
bool LoadFunction(HMODULE module, const char* name, F& f) {
  f = ModuleFunction<F>(module, name);
  return f != nullptr;
}
// A function of a system library, loaded as LoadSystemLibrary does.
template <typename F>
F SystemFunction(const wchar_t* dll, const char* name) {
  return ModuleFunction<F>(LoadSystemLibrary(dll), name);
}

}  // namespace tavik
