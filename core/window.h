// core/: what every part stands on: the window base, scoped handles, the system's services,
// the data file, the text codec, clock texts, the task list and the due check; it includes
// nothing above it.
//
// The base of the program's windows and controls: each object owns its window, and its
// OnMessage answers the window's messages.
#pragma once

#include <windows.h>

#include <string>

#include "core/mouse_buttons.h"
#include "core/wide.h"

namespace tavik {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  // Each window class destroys its window in its own destructor (Destroy()), while the whole
  // object still answers: by the time this one runs, only Window::OnMessage is left, and a
  // derived class's WM_DESTROY and OnDestroyed would never run. This destroy is the last
  // resort for a window still there.
  virtual ~Window();

  HWND hwnd() const { return hwnd_; }
  bool IsAlive() const { return hwnd_ != nullptr; }
  void Destroy();

  // Position in the parent's client coordinates (screen coordinates for top-level windows).
  RECT Bounds() const;
  void MoveTo(int x, int y);

 protected:
  // Registers the class once (background painted by the window itself).
  static void RegisterClassOnce(const wchar_t* name, UINT style = 0, HICON icon = nullptr);
  bool CreateWnd(DWORD exStyle, const wchar_t* cls, const wchar_t* title, DWORD style, int x, int y,
                 int w, int h, HWND parent);

  // Every message of the window; no exception may leave it.
  virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept;
  // After WM_NCDESTROY: the window is gone, the object may stay.
  virtual void OnDestroyed() noexcept {}

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
};

// A child control of a system class (visible), placed in its parent's client area, with a font.
HWND AddChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, const RECT& box,
              HFONT font);
// The whole text of a window ("" for none).
std::u16string WindowText(HWND w);

}  // namespace tavik
