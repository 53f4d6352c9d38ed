// The end of a hover look: a 50 ms timer on the control that notices when the window under
// the pointer is no longer the control's own (a label over it still counts as the control).
#pragma once

#include <windows.h>

namespace tavik {

class LeaveCheck {
 public:
  static constexpr UINT_PTR kTimerId = 1;
  static constexpr UINT kPeriodMs = 50;
  // On every pointer move over the control: starts the check unless it runs.
  void Start(HWND hwnd);
  // On the control's WM_TIMER with kTimerId: true once the pointer has left; the check stops.
  bool PointerLeft(HWND hwnd);
  bool running() const { return running_; }

 private:
  bool running_ = false;
};

}  // namespace tavik
