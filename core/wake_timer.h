// The clock's wakes: a window timer the system may put off a little to wake the processor
// once for several programs, and the notices of a session unlocked. The timer function is
// missing on Windows 7 and the notices live in a library of their own, so both are looked up
// when first needed and the program imports neither.
#pragma once

#include <windows.h>

namespace tavik {

// SetTimer that the system may fire up to `toleranceMs` late to join other timers (Windows 8
// and later); a plain SetTimer where the system has no such timers. Returns SetTimer's answer.
UINT_PTR SetWakeTimer(HWND hwnd, UINT_PTR id, UINT delayMs, ULONG toleranceMs);

// The window gets WM_WTSSESSION_CHANGE for its own session (WTS_SESSION_UNLOCK after a lock);
// false when the system could not register it. Unregister before the window is destroyed.
bool RegisterSessionNotices(HWND hwnd);
void UnregisterSessionNotices(HWND hwnd);

}  // namespace tavik
