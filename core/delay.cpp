#include "core/delay.h"

#include <windows.h>

#include <mmsystem.h>

#include "core/window.h"

namespace tavik {
namespace {

// Runs every pending message; false once WM_QUIT was seen (it is posted again for the
// message loop, so the program still ends).
bool RunPendingEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (HandleDialogKeys(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

}  // namespace

void Delay(short ms) {
  const DWORD start = timeGetTime();
  const DWORD wait = ms > 0 ? static_cast<DWORD>(ms) : 0;
  for (;;) {
    if (!RunPendingEvents()) return;
    const DWORD elapsed = timeGetTime() - start;
    if (elapsed >= wait) return;
    // Sleep until the time is up or an event arrives, instead of spinning.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, wait - elapsed, QS_ALLINPUT);
  }
}

}  // namespace tavik
