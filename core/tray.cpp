#include "core/app.h"
#include "core/main_window.h"
#include "core/snap.h"

namespace tavik {

void TrayIcon(short action) {
  AppState& app = App();
  NOTIFYICONDATAW& data = app.TrayData;
  if (action == 2) {
    Shell_NotifyIconW(NIM_DELETE, &data);
    return;
  }
  const HWND hwnd = app.frmMain ? app.frmMain->hwnd() : nullptr;
  data = NOTIFYICONDATAW{};
  data.cbSize = sizeof data;
  data.hWnd = hwnd;
  data.uID = 0;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_MOUSEMOVE;  // the icon's mouse message arrives in lParam
  data.hIcon = app.frmMain ? app.frmMain->icon() : nullptr;
  lstrcpynW(data.szTip, W(TitleAndVersion()), ARRAYSIZE(data.szTip));
  Shell_NotifyIconW(static_cast<DWORD>(action), &data);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  AppState& app = App();
  if (msg != WM_WINDOWPOSCHANGING)
    return CallWindowProcW(app.PrevWndProc, hwnd, msg, wp, lp);
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
