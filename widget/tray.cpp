#include "widget/tray.h"

#include "core/messages.h"
#include "core/program.h"
#include "core/snap.h"
#include "core/window.h"

namespace tavik {

ShellTies& App() {
  static ShellTies ties;
  return ties;
}

void TrayIcon(DWORD action, HWND owner, HICON icon) {
  NOTIFYICONDATAW& data = App().TrayData;
  if (action == NIM_DELETE) {
    Shell_NotifyIconW(NIM_DELETE, &data);
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
  Shell_NotifyIconW(action, &data);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_WINDOWPOSCHANGING) return CallWindowProcW(App().PrevWndProc, hwnd, msg, wp, lp);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
  int cx = pos->cx, cy = pos->cy;
  if (pos->flags & SWP_NOSIZE) {  // the size fields are not meaningful then: use the real size
    RECT r{};
    GetWindowRect(hwnd, &r);
    cx = r.right - r.left;
    cy = r.bottom - r.top;
  }
  const SnapPoint p = SnapToWorkArea({work.left, work.top, work.right, work.bottom}, pos->x, pos->y, cx, cy);
  pos->x = p.x;
  pos->y = p.y;
  return 0;
}

}  // namespace tavik
