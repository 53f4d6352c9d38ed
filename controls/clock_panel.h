// The main window's face: background, border, title, the minimise and close buttons and the
// clock. It covers the owner's whole client area and lies below every other child. It keeps
// its drawing in a memory surface; the clock labels are drawn into it, not separate windows.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "controls/layout.h"
#include "controls/panel_accessible.h"
#include "controls/panel_regions.h"
#include "core/clock.h"
#include "core/drawing.h"
#include "core/look.h"
#include "core/scoped.h"
#include "core/window.h"

namespace tavik {

// What a screen reader finds on the panel.
enum class PanelPart { Title, Clock, Minimise, Close };

class ClockPanel : public Window {
 public:
  static constexpr COLORREF kBackColor = kProgramRed;
  static constexpr COLORREF kBorderColor = kFrameRed;
  static constexpr COLORREF kTextColor = kTextOnRed;
  static constexpr UINT_PTR kClockTimerId = 1;  // Timer1

  enum class Label { None, Time, Second, Date };

  // Creates the panel over the owner's whole client area, at the bottom of the z-order.
  // clock: the present local time; dpi: the owner's resolution.
  ClockPanel(HWND owner, std::function<SYSTEMTIME()> clock, int dpi = kBaseDpi);
  ~ClockPanel() override;

  // Each show of the owner: back to the bottom, and the clock started; it runs from the
  // first show to the end, hidden or not: each second while the owner is shown, each minute
  // while it is hidden.
  void Shown();
  // Something the clock must see at once (the owner shown or hidden, a resume from sleep, a
  // clock or time-zone change, an unlock): a tick now, which arms the next wake for the
  // owner's present state. Nothing while the clock is stopped (tests tick it by hand).
  void WakeNow();
  // The next wake comes at once, not at the next second or minute (another task is due in
  // this minute). Nothing while the clock is stopped.
  void WakeSoon();

  const std::u16string& Caption() const { return title_; }
  void Caption(const std::u16string& text) { title_ = text; }  // drawn at the next layout
  // The clock text of the last tick: always two digits, ":", two digits.
  std::u16string_view TimeNow() const { return texts_.time.view(); }
  std::u16string_view SecondText() const { return texts_.second.view(); }
  std::u16string_view DateText() const { return texts_.date.view(); }
  // The moment the last tick read.
  const ClockTime& LastTick() const { return moment_; }
  // Stops the clock's timer for good (tests tick it by hand).
  void StopClock();
  // The owner moved to a monitor of another resolution: strips, fonts and places follow; the
  // panel is laid out anew when the owner's size changes, or now when it did not.
  void SetDpi(int dpi);
  int dpi() const { return dpi_; }

  // Raised at the end of every tick, after the labels are current.
  std::function<void()> RealTime;

  // What the surface shows, for tests and for the pointer logic.
  const PanelGeometry& geometry() const { return geometry_; }
  int MiniFrame() const { return miniFrame_; }
  int ExitFrame() const { return exitFrame_; }
  RECT LabelRect(Label label) const;
  Label LabelAt(POINT p) const;
  HDC SurfaceDC() const { return surface_.dc(); }

  // One tick of Timer1: the next wake armed, the three labels from the present time, then
  // RealTime.
  void Tick();

  // The panel's parts as a screen reader has them: their names, where they are, and what a
  // button does when it is pressed through the reader.
  std::u16string AccessibleName(PanelPart part) const;
  RECT PartRect(PanelPart part) const;
  void Press(PanelPart part);
  // The accessible object a reader gets through WM_GETOBJECT (one reference for the caller).
  IAccessible* AccessibleObject() { return accessibility_.Object(); }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) noexcept override;

 private:
  void ReadClock();  // fills moment_ and texts_; true labels are redrawn by the caller
  // Arms Timer1 to wake after `delayMs` (0: at once), a coalescable timer with a small tolerance.
  bool ArmClock(int delayMs);
  void LoadStrips();
  void FreeStrips();
  void PlaceSeconds();
  void Layout();
  void DrawFrame(StripSize strip, HDC stripDC, int x, int y, int frame);
  void DrawMini(int frame);
  void DrawExit(int frame);
  void Apply(const PanelReaction& r);
  void DrawLabel(Label label, bool clearOld);
  void StartOwnerMove(UINT msg, WPARAM wp);

  HWND owner_;
  std::function<SYSTEMTIME()> clock_;
  int dpi_;
  ClockLayout layout_;
  Surface surface_;
  PanelGeometry geometry_;
  std::u16string title_;
  // In this order: each selection is undone before its DC goes, each DC before its strip.
  GdiObject<HBITMAP> miniStrip_, exitStrip_;
  MemoryDC miniDC_, exitDC_;
  ScopedSelect miniSelect_, exitSelect_;
  StripSize miniSize_, exitSize_;
  int miniFrame_ = kNormalFrame, exitFrame_ = kNormalFrame;

  ClockTime moment_;
  ClockTexts texts_;
  // The locale's weekday name for the day it was read, and its date separator.
  FixedText<kMaxWeekdayName> weekdayName_;
  FixedText<kMaxDateSeparator> dateSeparator_;
  int nameDay_ = -1;  // year * 10000 + month * 100 + day of weekdayName_
  RECT timeRect_{}, secondRect_{}, dateRect_{};
  int secondLeft_ = 0;
  bool clockOn_ = false;
  int armedMs_ = 0;  // the delay Timer1 was last set with
  int millisecond_ = 0;  // of the last reading
  PanelAccessibility accessibility_{*this};
};

}  // namespace tavik
