// The reminder popup: a small red always-on-top window that slides in at the bottom right of
// the screen, shows a task's time and text and rings the alert sound until "关闭". There is
// one; a task that falls due while it is open only changes its texts.
#pragma once

#include <string>

#include "controls/layout.h"
#include "core/services.h"
#include "core/window.h"

namespace tavik {

class ReminderPopup : public Window {
 public:
  static constexpr short kSlideDelayMs = 15;
  static constexpr UINT_PTR kSlideTimerId = 1;  // Timer1
  static constexpr UINT kSlideTimerMs = 15;
  static constexpr COLORREF kBackColor = kProgramRed;
  static constexpr COLORREF kFrameColor = RGB(150, 40, 40);
  static constexpr COLORREF kTextColor = RGB(255, 255, 255);
  static constexpr int kCloseId = 1;  // Command1

  // The alert sound goes through services.playSound.
  explicit ReminderPopup(const Services& services) : services_(services) {}
  ~ReminderPopup() override;

  // Writing either text loads the popup first when it is not loaded.
  void SetTime(const std::u16string& text);
  void SetInfo(const std::u16string& text);
  std::u16string TimeText() const;
  std::u16string InfoText() const;
  // What its first load would make (its window class, fonts and the common controls behind
  // its button and text box), made now: a task may fall due in the next minute.
  void Prepare();
  // Shows it (modeless, no owner); the first show after a load slides it in.
  void Show();
  // Stops the sound and lets go of the window and the sound bytes. Safe when not loaded.
  void Unload();

  bool ringing() const { return ringing_; }
  HWND timeLabel() const { return time_; }
  HWND info() const { return info_; }
  HWND closeButton() const { return close_; }
  // Where its parts go at the primary screen's resolution (272 x 194 at 96 dpi).
  const PopupLayout& layout() const { return layout_; }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept override;
  void OnDestroyed() noexcept override;

 private:
  void Load();
  void Slide();
  void FitTimeLabel();

  void StopSound();

  const Services& services_;
  int dpi_ = kBaseDpi;
  PopupLayout layout_ = LayoutPopup(kBaseDpi);
  HWND time_ = nullptr, info_ = nullptr, close_ = nullptr;
  HBRUSH backBrush_ = nullptr;
  bool ringing_ = false;
  unsigned loadSerial_ = 0;  // tells a slide that its popup was closed (and maybe loaded anew)
};

}  // namespace tavik
