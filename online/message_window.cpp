#include "online/message_window.h"

namespace tavik {

MessageWindow::MessageWindow() {
  static constexpr wchar_t kClass[] = L"TavikMessageWindow";
  RegisterClassOnce(kClass);
  CreateWnd(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE);
}

LRESULT MessageWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if ((msg == WM_TIMER || msg >= WM_APP) && onMessage) {
    const auto handler = onMessage;  // the handler may destroy this window
    handler(msg, wp, lp);
    return 0;
  }
  return Window::OnMessage(msg, wp, lp);
}

}  // namespace tavik
