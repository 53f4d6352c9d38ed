#include "widget/tray.h"

#include "core/dpi.h"
#include "core/messages.h"
#include "core/snap.h"
#include "core/system_library.h"
#include "core/title.h"
#include "core/wide.h"
#include "core/window.h"

namespace tavik {

ShellTies& App() {
  static ShellTies ties;
  return ties;
}

void TrayIcon(DWORD action, HWND owner, HICON icon) {
  // The shell's library is loaded with the first icon, once the window is on screen.
  static const auto notify = SystemFunction<decltype(&Shell_NotifyIconW)>(L"shell32.dll", "Shell_NotifyIconW");
  if (!notify) return;
  NOTIFYICONDATAW& data = App().TrayData;
  if (action == NIM_DELETE) {
    notify(NIM_DELETE, &data);
    return;
  }
  data = NOTIFYICONDATAW{};
  data.cbSize = sizeof data;
  data.hWnd = owner;
  data.uID = 0;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayMessage;
  data.hIcon = icon;
  lstrcpynW(data.szTip, W(TitleAndVersion()), ARRAYSIZE(data.szTip));
  notify(action, &data);
}

RECT WorkAreaOf(const RECT& window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(MonitorFromRect(&window, MONITOR_DEFAULTTONEAREST), &info) &&
      !(info.dwFlags & MONITORINFOF_PRIMARY))
    return info.rcWork;
  // The primary monitor's as the system keeps it (the same on Windows; wine's monitor
  // information does not follow a work area that was set).
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

void SnapWindowPos(HWND hwnd, WINDOWPOS& pos) {
  int cx = pos.cx, cy = pos.cy;
  if (pos.flags & SWP_NOSIZE) {  // the size fields are not meaningful then: use the real size
    RECT r{};
    GetWindowRect(hwnd, &r);
    cx = r.right - r.left;
    cy = r.bottom - r.top;
  }
  const RECT work = WorkAreaOf(RECT{pos.x, pos.y, pos.x + cx, pos.y + cy});
  const SnapPoint p = SnapToWorkArea({work.left, work.top, work.right, work.bottom}, pos.x, pos.y, cx, cy,
                                     Scale(kSnapDistance, WindowDpi(hwnd)));
  pos.x = p.x;
  pos.y = p.y;
}

}  // namespace tavik
