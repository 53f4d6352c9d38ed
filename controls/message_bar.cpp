#include "controls/message_bar.h"

#include <windowsx.h>

#include "controls/art.h"
#include "core/drawing.h"
#include "core/keyboard.h"
#include "core/look.h"
#include "core/scoped.h"
#include "core/wide.h"
#include "resources/resource_ids.h"

namespace tavik {
namespace {
constexpr wchar_t kBarClass[] = L"TavikMsg";
constexpr wchar_t kCloseClass[] = L"TavikMsgClose";
}  // namespace

// MsgClose: the 22 x 22 picture (at 96 dpi) at the bar's right end; a click hides the bar.
class MessageBar::CloseMark : public Window {
 public:
  CloseMark(MessageBar& bar, const PixelRect& box, int dpi) : bar_(bar) {
    RegisterClassOnce(kCloseClass);
    CreateWnd(0, kCloseClass, L"", WS_CHILD | WS_VISIBLE, box.left, box.top, Width(box), Height(box), bar.hwnd());
    SetDpi(box, dpi);
  }
  ~CloseMark() override { Destroy(); }

  void SetDpi(const PixelRect& box, int dpi) {
    StripSize size{};
    bitmap_.Reset(LoadArt(IDB_MSG_CLOSE, kCloseMarkCell, 1, dpi, size));
    size_ = size;
    if (!hwnd()) return;
    SetWindowPos(hwnd(), nullptr, box.left, box.top, Width(box), Height(box), SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd(), nullptr, FALSE);
  }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept override {
    switch (msg) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd(), &ps);
        RECT r;
        GetClientRect(hwnd(), &r);
        FillSolid(dc, r, kBackColor);
        if (bitmap_) {
          const MemoryDC mem = CompatibleDC(dc);
          const ScopedSelect select(mem.get(), bitmap_.get());
          BitBlt(dc, 0, 0, size_.width, size_.height, mem.get(), 0, 0, SRCCOPY);
        }
        EndPaint(hwnd(), &ps);
        return 0;
      }
      case WM_LBUTTONUP:
        bar_.Hide();
        return 0;
      default:
        return Window::OnMessage(msg, wp, lp);
    }
  }

 private:
  MessageBar& bar_;
  GdiObject<HBITMAP> bitmap_;
  StripSize size_;
};

MessageBar::MessageBar(HWND parent, const MainLayout& layout)
    : dpi_(layout.dpi),
      focusInset_(layout.messageFocusInset),
      box_(layout.messageBar),
      textBox_(layout.messageText),
      closeBox_(layout.messageClose) {
  RegisterClassOnce(kBarClass);
  CreateWnd(0, kBarClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP, box_.left, box_.top,
            Width(box_), Height(box_), parent);
  surface_.Resize(hwnd(), Width(box_), Height(box_));
  Clear();
  close_ = std::make_unique<CloseMark>(*this, closeBox_, dpi_);
}

void MessageBar::SetLayout(const MainLayout& layout) {
  dpi_ = layout.dpi;
  focusInset_ = layout.messageFocusInset;
  box_ = layout.messageBar;
  textBox_ = layout.messageText;
  closeBox_ = layout.messageClose;
  if (!IsAlive()) return;
  SetWindowPos(hwnd(), nullptr, box_.left, box_.top, Width(box_), Height(box_), SWP_NOZORDER | SWP_NOACTIVATE);
  surface_.Resize(hwnd(), Width(box_), Height(box_));
  const std::u16string text = text_;
  Clear();
  if (!text.empty()) DrawText(text);
  if (close_) close_->SetDpi(closeBox_, dpi_);
}

MessageBar::~MessageBar() {
  close_.reset();
  Destroy();
}

void MessageBar::Click() {
  const auto handler = onClick;  // the installer may run a modal box meanwhile
  if (handler) handler();
}

void MessageBar::Clear() {
  text_.clear();
  if (IsAlive()) SetWindowTextW(hwnd(), L"");
  if (!surface_.dc()) return;
  FillSolid(surface_.dc(), RECT{0, 0, surface_.width(), surface_.height()}, kBackColor);
  if (IsAlive()) InvalidateRect(hwnd(), nullptr, FALSE);
}

void MessageBar::DrawText(const std::u16string& text) {
  text_ = text;
  if (IsAlive()) SetWindowTextW(hwnd(), W(text));  // what a screen reader says
  HDC dc = surface_.dc();
  if (!dc) return;
  ScopedSelect font(dc, YaHei9(dpi_));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kTextColor);
  RECT r{textBox_.left, textBox_.top, textBox_.right, textBox_.bottom};
  ::DrawTextW(dc, W(text), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
  if (IsAlive()) InvalidateRect(hwnd(), nullptr, FALSE);
}

void MessageBar::Show() {
  if (!IsAlive()) return;
  // Above the clock panel, which covers the whole window.
  SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void MessageBar::Hide() {
  if (IsAlive()) ShowWindow(hwnd(), SW_HIDE);
}

bool MessageBar::Visible() const { return IsAlive() && (GetWindowLongW(hwnd(), GWL_STYLE) & WS_VISIBLE); }

HWND MessageBar::closeMark() const { return close_ ? close_->hwnd() : nullptr; }

LRESULT MessageBar::OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      surface_.Paint(hwnd());
      const int inset = focusInset_;
      DrawFocusCue(hwnd(), ScopedGetDC(hwnd()),
                   {inset, inset, closeBox_.left - inset, surface_.height() - inset});
      return 0;
    }
    case WM_LBUTTONDOWN:
      pressed_ = true;
      SetCapture(hwnd());
      return 0;
    case WM_LBUTTONUP: {
      const bool click = pressed_;
      pressed_ = false;
      if (GetCapture() == hwnd()) ReleaseCapture();
      POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      RECT r;
      GetClientRect(hwnd(), &r);
      if (click && PtInRect(&r, p)) Click();
      return 0;
    }
    case WM_GETDLGCODE:
      return WantPressKeys(lp);
    case WM_KEYDOWN:
      if (IsPressKey(wp)) {
        Click();
        return 0;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
      InvalidateRect(hwnd(), nullptr, FALSE);
      break;
    case WM_CAPTURECHANGED:
      pressed_ = false;
      return 0;
    default:
      break;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace tavik
