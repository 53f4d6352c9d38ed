// btnNew, the owner-drawn "新建任务" button of the main window: a plus sign and the caption,
// red with white content under the pointer. A left press, Enter or Space raises Press.
#pragma once

#include <functional>

#include "controls/layout.h"
#include "core/drawing.h"
#include "core/leave_check.h"
#include "core/window.h"

namespace tavik {

class NewButton : public Window {
 public:
  NewButton(HWND parent, int x, int y, int dpi = kBaseDpi);
  ~NewButton() override { Destroy(); }

  // The Press event: a left press, Enter or Space.
  std::function<void()> onPress;

  bool hovered() const { return hovered_; }
  int captionTop() const { return captionTop_; }
  const NewButtonLayout& layout() const { return layout_; }
  // Size, plus sign and font for a new resolution.
  void SetDpi(int dpi);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept override;

 private:
  void Resize();  // the fixed size and the normal look
  void Draw(bool hover);
  void Press();  // a left press, Enter or Space

  int dpi_;
  NewButtonLayout layout_;
  Surface surface_;
  bool hovered_ = false;
  LeaveCheck leaveCheck_;
  int captionTop_ = 0;
};

}  // namespace tavik
