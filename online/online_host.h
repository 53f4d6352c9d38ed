// What the online services need of the main window, and nothing more: a line on its message
// bar, its message boxes (modal to the program) and its end. The services know no control:
// they say what is to be shown, and the program shows it.
#pragma once

#include <windows.h>

#include <string>

namespace tavik {

class OnlineHost {
 public:
  virtual ~OnlineHost() = default;
  // The bar's line (empty: none) and whether the bar is shown; both do nothing once the
  // window is gone. A new line keeps the bar shown or hidden as it was.
  virtual void SetBarText(const std::u16string& text) = 0;
  virtual void ShowBar(bool show) = 0;
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
