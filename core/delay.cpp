#include "core/delay.h"

#include <windows.h>

#include "core/keyboard.h"
#include "core/window.h"

namespace tavik {
namespace {

// Milliseconds of the performance counter, to the millisecond (GetTickCount steps by 10-16 ms,
// too coarse for a 15 ms slide step), taken modulo 2^32.
DWORD NowMs() {
  static const LONGLONG perMs = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart >= 1000 ? f.QuadPart / 1000 : 1;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<DWORD>(now.QuadPart / perMs);
}

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
  const DWORD start = NowMs();
  const DWORD wait = ms > 0 ? static_cast<DWORD>(ms) : 0;
  for (;;) {
    if (!RunPendingEvents()) return;
    const DWORD elapsed = NowMs() - start;
    if (elapsed >= wait) return;
    // Sleep until the time is up or an event arrives, instead of spinning.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, wait - elapsed, QS_ALLINPUT);
  }
}

}  // namespace tavik
