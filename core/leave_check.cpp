#include "core/leave_check.h"

namespace tavik {

void LeaveCheck::Start(HWND hwnd) {
  if (!running_) running_ = SetTimer(hwnd, kTimerId, kPeriodMs, nullptr) != 0;
}

bool LeaveCheck::PointerLeft(HWND hwnd) {
  POINT p;
  GetCursorPos(&p);
  if (WindowFromPoint(p) == hwnd) return false;
  KillTimer(hwnd, kTimerId);
  running_ = false;
  return true;
}

}  // namespace tavik
