// The resolution a window is shown at.
#pragma once

#include <windows.h>

#include "core/scale.h"

namespace tavik {

// Its monitor's under per-monitor awareness (Windows 10), otherwise the system's.
int WindowDpi(HWND hwnd);
int SystemDpi();
// The dpi of a WM_DPICHANGED.
inline int DpiOfChange(WPARAM wp) { return HIWORD(wp) ? HIWORD(wp) : kBaseDpi; }

}  // namespace tavik
