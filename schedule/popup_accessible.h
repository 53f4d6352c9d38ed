// What a screen reader finds on the reminder popup: the system's own object for its client
// area, with the alert role and the reminder's time and text as its name, so a reader that is
// told of the alert reads what rang.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

struct IAccessible;

namespace tavik {

class PopupAccessibility {
 public:
  explicit PopupAccessibility(std::function<std::u16string()> name) : name_(std::move(name)) {}
  ~PopupAccessibility() { Forget(); }
  PopupAccessibility(const PopupAccessibility&) = delete;
  PopupAccessibility& operator=(const PopupAccessibility&) = delete;

  // The answer to the window's WM_GETOBJECT; 0 when it is not for its client object or the
  // accessibility library is missing (the system's own object answers then).
  LRESULT OnGetObject(HWND hwnd, WPARAM wp, LPARAM lp);
  // The object itself, with a reference for the caller (what a reader in this process gets);
  // null without the accessibility library.
  IAccessible* Object(HWND hwnd);
  // The window is gone: readers may hold the object longer, it answers no more.
  void Forget();

 private:
  class Accessible;
  std::function<std::u16string()> name_;
  Accessible* object_ = nullptr;
};

}  // namespace tavik
