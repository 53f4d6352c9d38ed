// The pieces that tie the main window to the Windows shell: its notification-area icon and
// the hooked window procedure that snaps it to the work area's edges.
#pragma once

#include <windows.h>

#include <shellapi.h>

namespace tavik {

// The module-wide values of the two: set while the main window lives.
struct ShellTies {
  WNDPROC PrevWndProc = nullptr;  // the main window's procedure before the hook
  NOTIFYICONDATAW TrayData{};
};
ShellTies& App();

// Adds (NIM_ADD), changes (NIM_MODIFY) or deletes (NIM_DELETE) the icon of `owner`, whose
// mouse messages then arrive as kTrayMessage.
void TrayIcon(DWORD action, HWND owner, HICON icon);

// The work area of the monitor a window rectangle mostly lies on (the nearest one when it
// lies on none): the taskbar's side of the screen left out.
RECT WorkAreaOf(const RECT& window);

// The main window's hooked procedure: snaps the window to the work area's edges of the
// monitor it is on.
LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace tavik
