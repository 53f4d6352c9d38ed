// Msg: the yellow message bar of the main window, where a new release is announced. A
// click on it starts the installer; its close mark MsgClose at the right end hides it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "controls/layout.h"
#include "core/look.h"
#include "core/drawing.h"
#include "core/window.h"

namespace tavik {

class MessageBar : public Window {
 public:
  static constexpr COLORREF kBackColor = kBarBack;
  static constexpr COLORREF kTextColor = kBarText;

  // Hidden at first, where the main window's layout puts it.
  MessageBar(HWND parent, const MainLayout& layout);
  ~MessageBar() override;

  void Clear();
  // Single line, vertically centred, left-aligned in the text rectangle.
  void DrawText(const std::u16string& text);
  void Show();
  void Hide();
  bool Visible() const;
  const std::u16string& text() const { return text_; }  // what the bar reads now
  HWND closeMark() const;
  // A new resolution: place, size, close mark and font; the text is drawn again.
  void SetLayout(const MainLayout& layout);

  std::function<void()> onClick;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept override;

 private:
  class CloseMark;
  void Click();
  int dpi_ = kBaseDpi;
  int focusInset_ = 1;
  PixelRect box_, textBox_, closeBox_;
  Surface surface_;
  std::unique_ptr<CloseMark> close_;
  std::u16string text_;
  bool pressed_ = false;
};

}  // namespace tavik
