// What the online services need of the main window, and nothing more: its message bar, its
// message boxes (modal to the program) and its end.
#pragma once

#include <windows.h>

#include <string>

namespace tavik {

class MessageBar;

class OnlineHost {
 public:
  virtual ~OnlineHost() = default;
  virtual MessageBar* Bar() = 0;  // null once the window is gone
  // A message box owned by the main window; returns once it is closed.
  virtual int Box(const std::wstring& text, UINT type) = 0;
  // A box of the program is open: nothing may start that could open another.
  virtual bool InBox() const = 0;
  // The main window was closed while a box was open: work the box interrupted stops.
  virtual bool Closing() const = 0;
  // Ends the program (the main window's unload).
  virtual void EndProgram() = 0;
};

}  // namespace tavik
