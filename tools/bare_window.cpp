// The floor of the benchmark: a frameless window with a timer that does nothing, so what
// Tavik costs beyond any window of its kind can be measured in the same wine session. Its
// title (BARE_TITLE) and its timer's period (BARE_TIMER_MS, 0 for no timer at all) come from
// the build, one for each floor the benchmark starts.
#include <windows.h>

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = CreateSolidBrush(RGB(165, 55, 55));
  wc.lpszClassName = L"BareWindow";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, BARE_TITLE, WS_POPUP, 100, 100, 242, 391, nullptr,
                              nullptr, instance, nullptr);
  if (BARE_TIMER_MS > 0) SetTimer(hwnd, 1, BARE_TIMER_MS, nullptr);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
