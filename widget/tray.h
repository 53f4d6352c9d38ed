// The pieces that tie the main window to the Windows shell: its notification-area icon and
// its snapping to the work area's edges.
#pragma once

#include <windows.h>

#include <shellapi.h>

namespace tavik {

// The icon as the shell was last told of it: set while the main window lives.
struct ShellTies {
  NOTIFYICONDATAW TrayData{};
};
ShellTies& App();

// Adds (NIM_ADD), changes (NIM_MODIFY) or deletes (NIM_DELETE) the icon of `owner`, whose
// mouse messages then arrive as kTrayMessage.
void TrayIcon(DWORD action, HWND owner, HICON icon);

// The work area of the monitor a window rectangle mostly lies on (the nearest one when it
// lies on none): the taskbar's side of the screen left out.
RECT WorkAreaOf(const RECT& window);

// The main window's answer to WM_WINDOWPOSCHANGING: the place it is moving to, snapped to the
// work area's edges of the monitor it is on.
void SnapWindowPos(HWND hwnd, WINDOWPOS& pos);

}  // namespace tavik
