// schedule/: the reminder popup and the list of reminders it shows.
//
// The reminder popup: a small red always-on-top window that slides in at the bottom right of
// the screen, shows a task's time and text and rings the alert sound until "关闭". It never
// takes the keyboard from the program the user types in. There is one; a task that falls due
// while it is open is added to its list (no new slide, the sound goes on).
#pragma once

#include <string>

#include "controls/layout.h"
#include "core/look.h"
#include "core/services.h"
#include "core/window.h"
#include "schedule/popup_accessible.h"
#include "schedule/reminder_list.h"

namespace tavik {

class ReminderPopup : public Window {
 public:
  static constexpr short kSlideDelayMs = 15;
  static constexpr UINT_PTR kSlideTimerId = 1;  // Timer1
  static constexpr UINT kSlideTimerMs = 15;
  static constexpr COLORREF kBackColor = kProgramRed;
  static constexpr COLORREF kFrameColor = kFrameRed;
  static constexpr COLORREF kTextColor = kTextOnRed;
  static constexpr int kCloseId = 1;  // Command1

  // The alert sound goes through services.playSound.
  explicit ReminderPopup(const Services& services) : services_(services) {}
  ~ReminderPopup() override;

  // A task fell due: a closed popup opens with it, slides in and rings; an open one adds it
  // below the reminders it shows, its time in the large label. Either way it is shown on top
  // without being activated, and screen readers are told of the alert.
  void Remind(const std::u16string& time, const std::u16string& info);
  // Writing either text loads the popup first when it is not loaded.
  void SetTime(const std::u16string& text);
  void SetInfo(const std::u16string& text);
  std::u16string TimeText() const;
  std::u16string InfoText() const;
  // What its first load would make (its window class, fonts and the common controls behind
  // its button and text box), made now: a task may fall due in the next minute.
  void Prepare();
  // Shows it (modeless, no owner, not activated); the first show after a load slides it in.
  void Show();
  // Stops the sound and lets go of the window and the sound bytes. Safe when not loaded.
  void Unload();

  bool ringing() const { return ringing_; }
  const ReminderList& reminders() const { return list_; }
  // The object a screen reader gets through WM_GETOBJECT (one reference for the caller).
  IAccessible* AccessibleObject() { return IsAlive() ? accessibility_.Object(hwnd()) : nullptr; }
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
  ReminderList list_;  // what rang since it opened
  PopupAccessibility accessibility_{[this] { return list_.Announcement(); }};
  unsigned loadSerial_ = 0;  // tells a slide that its popup was closed (and maybe loaded anew)
};

}  // namespace tavik
