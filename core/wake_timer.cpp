#include "core/wake_timer.h"

#include "core/system_library.h"

namespace tavik {
namespace {

using SetCoalescableTimerFn = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC, ULONG);
using RegisterSessionFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSessionFn = BOOL(WINAPI*)(HWND);

constexpr DWORD kThisSession = 0;  // NOTIFY_FOR_THIS_SESSION

}  // namespace

UINT_PTR SetWakeTimer(HWND hwnd, UINT_PTR id, UINT delayMs, ULONG toleranceMs) {
  // user32 is loaded already; only the name is looked up, once.
  static const auto coalescable = SystemFunction<SetCoalescableTimerFn>(L"user32.dll", "SetCoalescableTimer");
  if (coalescable) return coalescable(hwnd, id, delayMs, nullptr, toleranceMs);
  return SetTimer(hwnd, id, delayMs, nullptr);
}

bool RegisterSessionNotices(HWND hwnd) {
  const auto registerFn = SystemFunction<RegisterSessionFn>(L"wtsapi32.dll", "WTSRegisterSessionNotification");
  return registerFn && registerFn(hwnd, kThisSession);
}

void UnregisterSessionNotices(HWND hwnd) {
  // Only a program that registered has the library loaded; nothing is loaded for this.
  if (HMODULE module = GetModuleHandleW(L"wtsapi32.dll"))
    if (const auto unregisterFn = ModuleFunction<UnregisterSessionFn>(module, "WTSUnRegisterSessionNotification"))
      unregisterFn(hwnd);
}

}  // namespace tavik
