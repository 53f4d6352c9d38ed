#include "core/keyboard.h"

namespace tavik {

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

}  // namespace tavik
