#include "controls/new_button.h"

#include "core/look.h"
#include "core/drawing.h"
#include "core/keyboard.h"
#include "core/leave_check.h"
#include "core/scoped.h"

namespace tavik {
namespace {

constexpr wchar_t kClass[] = L"TavikNewButton";
constexpr wchar_t kCaption[] = L"新建任务";

struct Look {
  COLORREF back, plus, text;
};
constexpr Look kNormal{kRestBack, RGB(170, 170, 170), kRestText};
constexpr Look kHover{kHoverBack, kHoverText, kHoverText};

}  // namespace

NewButton::NewButton(HWND parent, int x, int y, int dpi) : dpi_(dpi), layout_(LayoutNewButton(dpi)) {
  RegisterClassOnce(kClass);
  CreateWnd(0, kClass, kCaption, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, x, y, layout_.width,
            layout_.height, parent);
  if (hwnd()) Resize();
}

void NewButton::SetDpi(int dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  layout_ = LayoutNewButton(dpi);
  if (hwnd()) Resize();
}

void NewButton::Resize() {
  RECT r;
  GetWindowRect(hwnd(), &r);
  if (r.right - r.left != layout_.width || r.bottom - r.top != layout_.height)
    SetWindowPos(hwnd(), nullptr, 0, 0, layout_.width, layout_.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Draw(false);
}

void NewButton::Draw(bool hover) {
  hovered_ = hover;
  const Look& look = hover ? kHover : kNormal;
  const int w = layout_.width, h = layout_.height;
  surface_.Resize(hwnd(), w, h);
  HDC dc = surface_.dc();
  FillSolid(dc, {0, 0, w, h}, look.back);
  FillSolid(dc, ToRect(layout_.plusBar), look.plus);
  FillSolid(dc, ToRect(layout_.plusPost), look.plus);
  captionTop_ = CaptionTop(h, TextExtent(dc, YaHei9(dpi_), u"Tavik").cy);
  ScopedSelect font(dc, YaHei9(dpi_));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, look.text);
  TextOutW(dc, layout_.captionLeft, captionTop_, kCaption, static_cast<int>(wcslen(kCaption)));
  const int inset = layout_.focusInset;
  DrawFocusCue(hwnd(), dc, {inset, inset, w - inset, h - inset});
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void NewButton::Press() {
  if (onPress) onPress();
}

LRESULT NewButton::OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept {
  switch (msg) {
    case WM_SIZE:
      Resize();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      surface_.Paint(hwnd());
      return 0;
    case WM_MOUSEMOVE:
      leaveCheck_.Start(hwnd());
      Draw(true);
      return 0;
    case WM_TIMER:
      if (wp == LeaveCheck::kTimerId) {
        if (leaveCheck_.PointerLeft(hwnd())) Resize();
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
      Press();
      return 0;
    case WM_GETDLGCODE:
      return WantPressKeys(lp);  // Enter comes to the button instead of becoming the window's IDOK
    case WM_KEYDOWN:
      if (IsPressKey(wp)) {
        Press();
        return 0;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Draw(hovered_);
      return 0;
    case WM_UPDATEUISTATE:
      Draw(hovered_);
      break;
    default:
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace tavik
