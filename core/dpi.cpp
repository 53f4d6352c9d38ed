#include "core/dpi.h"

#include "core/scoped.h"
#include "core/system_library.h"

namespace tavik {

int SystemDpi() {
  static const int dpi = [] {
    ScopedGetDC screen(nullptr);
    const int value = GetDeviceCaps(screen, LOGPIXELSY);
    return value > 0 ? value : kBaseDpi;
  }();
  return dpi;
}

int WindowDpi(HWND hwnd) {
  // Windows 10 and later.
  static const auto getDpiForWindow = SystemFunction<UINT(WINAPI*)(HWND)>(L"user32.dll", "GetDpiForWindow");
  const UINT dpi = getDpiForWindow && hwnd ? getDpiForWindow(hwnd) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

}  // namespace tavik
