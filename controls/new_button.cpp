#include "controls/new_button.h"

#include <cfenv>
#include <cmath>

namespace tavik {
namespace {

constexpr wchar_t kClass[] = L"TavikNewButton";
constexpr wchar_t kCaption[] = L"新建任务";

struct Look {
  COLORREF back, plus, text;
};
constexpr Look kNormal{RGB(255, 255, 255), RGB(170, 170, 170), RGB(100, 100, 100)};
constexpr Look kHover{RGB(200, 90, 90), RGB(255, 255, 255), RGB(255, 255, 255)};
constexpr RECT kPlusBar{14, 18, 38, 22};
constexpr RECT kPlusPost{24, 8, 28, 32};

}  // namespace

NewButton::NewButton(HWND parent, int x, int y) {
  RegisterClassOnce(kClass);
  CreateWnd(0, kClass, kCaption, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, x, y, kWidth, kHeight, parent);
  if (hwnd()) Resize();
}

void NewButton::Resize() {
  RECT r;
  GetWindowRect(hwnd(), &r);
  if (r.right - r.left != kWidth || r.bottom - r.top != kHeight)
    SetWindowPos(hwnd(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Draw(false);
}

void NewButton::Draw(bool hover) {
  hovered_ = hover;
  const Look& look = hover ? kHover : kNormal;
  surface_.Resize(hwnd(), kWidth, kHeight);
  HDC dc = surface_.dc();
  FillSolid(dc, {0, 0, kWidth, kHeight}, look.back);
  FillSolid(dc, kPlusBar, look.plus);
  FillSolid(dc, kPlusPost, look.plus);
  // Centred on the height of one line of the font, halves rounded to the even pixel.
  const int lineHeight = TextExtent(dc, YaHei9(), u"Tavik").cy;
  std::fesetround(FE_TONEAREST);
  captionTop_ = static_cast<int>(std::nearbyint((kHeight - lineHeight) / 2.0));
  ScopedSelect font(dc, YaHei9());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, look.text);
  TextOutW(dc, kCaptionLeft, captionTop_, kCaption, static_cast<int>(wcslen(kCaption)));
  DrawFocusCue(hwnd(), dc, {2, 2, kWidth - 2, kHeight - 2});
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
