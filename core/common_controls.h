// The common controls library (tooltips, window subclassing), loaded at its first use, so a
// program that only waits never maps it.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace tavik {

// Loads the library once and registers its window classes; false when it is not there.
bool CommonControlsReady();

// Its subclassing functions; they do nothing (FALSE, or the window's own procedure for the
// last one) when the library is not there.
BOOL SetSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
BOOL RemoveSubclass(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id);
LRESULT DefSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace tavik
