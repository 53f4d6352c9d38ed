// What a screen reader finds on the clock panel, which is only pixels: its title, the clock,
// and the buttons "最小化" and "关闭", as children of the panel's accessible object. Everything
// about the panel itself is the system's standard object for the window.
#pragma once

#include <windows.h>

struct IAccessible;

namespace tavik {

class ClockPanel;

// The answer to the panel's WM_GETOBJECT; 0 when it is not for the panel's client object or
// the accessibility library is missing. The object is made on the first request and keeps to
// the panel until Forget.
class PanelAccessibility {
 public:
  explicit PanelAccessibility(ClockPanel& panel) : panel_(panel) {}
  ~PanelAccessibility();
  PanelAccessibility(const PanelAccessibility&) = delete;
  PanelAccessibility& operator=(const PanelAccessibility&) = delete;

  LRESULT OnGetObject(WPARAM wp, LPARAM lp);
  // The object itself, with a reference for the caller (what a reader in this process gets).
  IAccessible* Object();

 private:
  class Accessible;
  ClockPanel& panel_;
  Accessible* object_ = nullptr;
};

}  // namespace tavik
