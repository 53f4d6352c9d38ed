#include "core/common_controls.h"

#include "core/system_library.h"
#include "core/window.h"

namespace tavik {
namespace {

struct Library {
  decltype(&::InitCommonControlsEx) init = nullptr;
  decltype(&::SetWindowSubclass) setSubclass = nullptr;
  decltype(&::RemoveWindowSubclass) removeSubclass = nullptr;
  decltype(&::DefSubclassProc) defSubclass = nullptr;
};

const Library& Loaded() {
  static const Library library = [] {
    Library l;
    // The manifest's Common-Controls assembly decides which library this is.
    const HMODULE module = LoadSystemAssembly(L"comctl32.dll");
    if (!module) return l;
    l.init = ModuleFunction<decltype(l.init)>(module, "InitCommonControlsEx");
    l.setSubclass = ModuleFunction<decltype(l.setSubclass)>(module, "SetWindowSubclass");
    l.removeSubclass = ModuleFunction<decltype(l.removeSubclass)>(module, "RemoveWindowSubclass");
    l.defSubclass = ModuleFunction<decltype(l.defSubclass)>(module, "DefSubclassProc");
    if (l.init) {
      INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
      l.init(&icc);
    }
    return l;
  }();
  return library;
}

}  // namespace

bool CommonControlsReady() { return Loaded().init != nullptr; }

BOOL SetSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
  return Loaded().setSubclass ? Loaded().setSubclass(hwnd, proc, id, data) : FALSE;
}

BOOL RemoveSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id) {
  return Loaded().removeSubclass ? Loaded().removeSubclass(hwnd, proc, id) : FALSE;
}

LRESULT DefSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (Loaded().defSubclass) return Loaded().defSubclass(hwnd, msg, wp, lp);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace tavik
