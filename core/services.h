// What the program asks of the system and tests replace: the clock, the sound, message boxes,
// the working-set trim, the user's desktop (browser, scripts) and the web. The program starts
// with the system's own; a test hands its recorders to the windows it builds.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

#include "core/clock.h"
#include "core/web_request.h"

namespace tavik {

// A local time of the system as the rules take it.
inline ClockTime ClockTimeOf(const SYSTEMTIME& t) {
  return {t.wYear, t.wMonth, t.wDay, WeekdayFromSunday0(t.wDayOfWeek), t.wHour, t.wMinute, t.wSecond};
}

struct Services {
  using WebFunction = std::function<WebResult(const WebRequest&, const std::atomic<bool>& cancel,
                                              const std::function<bool(std::string_view)>& sink)>;

  // The present local time.
  std::function<SYSTEMTIME()> localTime;
  // Starts (the bytes of a WAVE sound) or stops (null) the alert sound.
  std::function<BOOL(const void* sound, UINT flags)> playSound;
  // A message box captioned with the program's title; returns its answer.
  std::function<int(HWND owner, const std::wstring& text, UINT type)> messageBox;
  // Hands the working set back to the system.
  std::function<void()> trimWorkingSet;
  // Opens an address in the user's browser.
  std::function<void(const std::wstring& url)> openUrl;
  // Starts a script of a folder (its name has no spaces), hidden and without waiting; false
  // when it did not start.
  std::function<bool(const std::wstring& folder, const std::wstring& script)> startScript;
  // One HTTP exchange, run on the calling thread (a worker's); see RunWebRequest.
  WebFunction web;
};

// The system's own services.
Services SystemServices();

}  // namespace tavik
