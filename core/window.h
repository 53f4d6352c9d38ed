// core/: what every part stands on: the window base, scoped handles, the system's services,
// the data file, the text codec, clock texts and the due check; it includes nothing above it.
//
// A small base for our windows and controls, and the drawing helpers they share.
#pragma once

#include <windows.h>

#include <string>

#include "core/clock.h"
#include "core/mouse_buttons.h"
#include "core/scale.h"
#include "core/scoped.h"

namespace tavik {

// Text of the core (UTF-16) at the Win32 boundary, and back.
inline const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline std::u16string U16(const wchar_t* s) { return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : std::u16string(); }
inline std::u16string U16(const std::wstring& s) { return U16(s.c_str()); }
inline std::wstring Wide(const std::u16string& s) { return std::wstring(W(s)); }

// The program's red: the main window, the clock panel and the popup.
inline constexpr COLORREF kProgramRed = RGB(165, 55, 55);

// A local time of the system as the rules take it.
inline ClockTime ClockTimeOf(const SYSTEMTIME& t) {
  return {t.wYear, t.wMonth, t.wDay, WeekdayFromSunday0(t.wDayOfWeek), t.wHour, t.wMinute, t.wSecond};
}

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
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

// A retained drawing surface: what is drawn stays until drawn over, and WM_PAINT just copies it.
class Surface {
 public:
  Surface() = default;
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  ~Surface();
  void Resize(HWND hwnd, int w, int h);
  HDC dc() const { return dc_; }
  int width() const { return w_; }
  int height() const { return h_; }
  void Paint(HWND hwnd);  // answers WM_PAINT

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  int w_ = 0, h_ = 0;
};

// The end of a hover look: a 50 ms timer on the control that notices when the window under
// the pointer is no longer the control's own (a label over it still counts as the control).
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

// Tab, Shift+Tab, Enter and Esc for a top-level window of the program, as a dialog has them:
// the message loop hands the window's keyboard messages to IsDialogMessage.
void TakeDialogKeys(HWND topLevel);
// The message loop's step before dispatching; true when the message was handled.
bool HandleDialogKeys(MSG& msg);

// Whether the keyboard focus is to be drawn: hidden until the keyboard is used in the window
// (the system's focus-cue rule), so the mouse never sees a focus rectangle.
bool FocusCueVisible(HWND control);
// Draws the dotted focus frame `r` of an owner-drawn control into dc, when FocusCueVisible.
void DrawFocusCue(HWND control, HDC dc, RECT r);

// A child control of a system class (visible), placed in its parent's client area, with a font.
HWND AddChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, const RECT& box,
              HFONT font);
// The whole text of a window ("" for none).
std::u16string WindowText(HWND w);

// Enter and Space press a focused owner-drawn button: its answer to WM_GETDLGCODE, so the
// dialog keys hand them to it, and the test of a WM_KEYDOWN.
LRESULT WantPressKeys(LPARAM lp);
constexpr bool IsPressKey(WPARAM vk) { return vk == VK_RETURN || vk == VK_SPACE; }

// A library of the system folder, loaded (once) by its full path: never a file of the same
// name in the program's folder, where downloads land. Null when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* name);
// A function of a loaded library, as the type F; null when the library or the function is missing.
template <typename F>
F ModuleFunction(HMODULE module, const char* name) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
// A function of a system library, loaded as LoadSystemLibrary does.
template <typename F>
F SystemFunction(const wchar_t* dll, const char* name) {
  return ModuleFunction<F>(LoadSystemLibrary(dll), name);
}

// A rectangle of the layout as the system takes it.
inline RECT ToRect(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

// The program's fonts, made once for each resolution: points at dpi.
HFONT UiFont(const wchar_t* face, double points, int dpi = kBaseDpi, int weight = FW_NORMAL,
             BYTE charset = GB2312_CHARSET);
HFONT YaHei9(int dpi = kBaseDpi);

// The resolution a window is shown at: its monitor's under per-monitor awareness (Windows 10),
// otherwise the system's.
int WindowDpi(HWND hwnd);
int SystemDpi();
// The dpi of a WM_DPICHANGED.
inline int DpiOfChange(WPARAM wp) { return HIWORD(wp) ? HIWORD(wp) : kBaseDpi; }

void FillSolid(HDC dc, const RECT& r, COLORREF color);
SIZE TextExtent(HDC dc, HFONT font, const std::u16string& text);

}  // namespace tavik
