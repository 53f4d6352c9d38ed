#include "core/window.h"

#include <cmath>
#include <map>
#include <tuple>

namespace tavik {

Window::~Window() { Destroy(); }

void Window::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);  // WM_NCDESTROY clears hwnd_
  hwnd_ = nullptr;
}

RECT Window::Bounds() const {
  RECT r{};
  if (!hwnd_) return r;
  GetWindowRect(hwnd_, &r);
  if (HWND parent = GetParent(hwnd_); parent && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Window::MoveTo(int x, int y) {
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::RegisterClassOnce(const wchar_t* name, UINT style, HICON icon) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  HINSTANCE inst = GetModuleHandleW(nullptr);
  if (GetClassInfoExW(inst, name, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = &Window::Proc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = icon;
  wc.hIconSm = icon;
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

bool Window::CreateWnd(DWORD exStyle, const wchar_t* cls, const wchar_t* title, DWORD style, int x,
                       int y, int w, int h, HWND parent) {
  CreateWindowExW(exStyle, cls, title, style, x, y, w, h, parent, nullptr, GetModuleHandleW(nullptr),
                  this);
  return hwnd_ != nullptr;
}

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept {
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  const LRESULT result = self->OnMessage(msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->OnDestroyed();
  }
  return result;
}

Surface::~Surface() {
  if (dc_) {
    SelectObject(dc_, oldBitmap_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
}

void Surface::Resize(HWND hwnd, int w, int h) {
  if (dc_ && w == w_ && h == h_) return;
  ScopedGetDC screen(hwnd);
  if (!dc_) {
    dc_ = CreateCompatibleDC(screen);
    SetBkMode(dc_, TRANSPARENT);
  }
  HBITMAP fresh = CreateCompatibleBitmap(screen, w > 0 ? w : 1, h > 0 ? h : 1);
  HGDIOBJ previous = SelectObject(dc_, fresh);
  if (!oldBitmap_) oldBitmap_ = previous;
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = fresh;
  w_ = w;
  h_ = h;
}

void Surface::Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (dc_) BitBlt(dc, 0, 0, w_, h_, dc_, 0, 0, SRCCOPY);
  EndPaint(hwnd, &ps);
}

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

namespace {
constexpr wchar_t kDialogKeysProp[] = L"Tavik.DialogKeys";
}  // namespace

void TakeDialogKeys(HWND topLevel) {
  SetPropW(topLevel, kDialogKeysProp, reinterpret_cast<HANDLE>(1));
  // Focus rectangles and underlines stay hidden until the keyboard is used in it.
  BOOL cues = FALSE;
  SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cues, 0);
  if (!cues) SendMessageW(topLevel, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

bool HandleDialogKeys(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd) return false;
  const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  return root && GetPropW(root, kDialogKeysProp) && IsDialogMessageW(root, &msg);
}

bool FocusCueVisible(HWND control) {
  return GetFocus() == control && !(SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

HFONT UiFont(const wchar_t* face, double points, int dpi, int weight, BYTE charset) {
  // Live for the whole run: a few faces at the resolutions of the monitors met.
  static std::map<std::tuple<std::wstring, double, int, int, BYTE>, HFONT> fonts;
  auto key = std::make_tuple(std::wstring(face), points, dpi, weight, charset);
  auto it = fonts.find(key);
  if (it != fonts.end()) return it->second;
  HFONT font = CreateFontW(FontHeight(points, dpi), 0, 0, 0, weight, FALSE, FALSE, FALSE, charset,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, face);
  fonts.emplace(key, font);
  return font;
}

HFONT YaHei9(int dpi) { return UiFont(L"微软雅黑", 9, dpi); }

int SystemDpi() {
  static const int dpi = [] {
    ScopedGetDC screen(nullptr);
    const int value = GetDeviceCaps(screen, LOGPIXELSY);
    return value > 0 ? value : kBaseDpi;
  }();
  return dpi;
}

int WindowDpi(HWND hwnd) {
  // Windows 10 and later.
  static const auto getDpiForWindow = SystemFunction<UINT(WINAPI*)(HWND)>(L"user32.dll", "GetDpiForWindow");
  const UINT dpi = getDpiForWindow && hwnd ? getDpiForWindow(hwnd) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

void FillSolid(HDC dc, const RECT& r, COLORREF color) {
  const COLORREF old = SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

SIZE TextExtent(HDC dc, HFONT font, const std::u16string& text) {
  ScopedSelect sel(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, W(text), static_cast<int>(text.size()), &size);
  return size;
}

HWND AddChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, const RECT& box,
              HFONT font) {
  HWND child = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, box.left, box.top, box.right - box.left,
                               box.bottom - box.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

std::u16string WindowText(HWND w) {
  const int n = w ? GetWindowTextLengthW(w) : 0;
  if (n <= 0) return {};
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(w, text.data(), n + 1)));
  return U16(text);
}

LRESULT WantPressKeys(LPARAM lp) {
  const MSG* m = reinterpret_cast<const MSG*>(lp);
  return m && m->message == WM_KEYDOWN && IsPressKey(m->wParam) ? DLGC_WANTMESSAGE : 0;
}

void DrawFocusCue(HWND control, HDC dc, RECT r) {
  if (!FocusCueVisible(control)) return;  // not reached with the keyboard (yet)
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  DrawFocusRect(dc, &r);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  if (HMODULE loaded = GetModuleHandleW(name)) return loaded;
  wchar_t path[MAX_PATH];
  const UINT n = GetSystemDirectoryW(path, MAX_PATH);
  if (n == 0 || n + 1 + lstrlenW(name) >= MAX_PATH) return nullptr;
  lstrcatW(path, L"\\");
  lstrcatW(path, name);
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace tavik
