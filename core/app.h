// Module-wide values of the program and the routines that tie the main window to Windows:
// the data-file path, the hooked window procedure, the tray icon and the ten-minute timer.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>

#include "core/program.h"
#include "core/timer_ticks.h"

namespace tavik {

class MainWindow;

inline constexpr UINT_PTR kBackgroundTimerId = 1;
#ifndef TAVIK_BACKGROUND_TIMER_MS
#define TAVIK_BACKGROUND_TIMER_MS 600000  // ten minutes
#endif
inline constexpr UINT kBackgroundTimerMs = TAVIK_BACKGROUND_TIMER_MS;

struct AppState {
  std::wstring CfgPath;
  WNDPROC PrevWndProc = nullptr;
  TimerTicks timerTicks;
  NOTIFYICONDATAW TrayData{};
  MainWindow* frmMain = nullptr;
  UINT_PTR backgroundTimer = 0;
  // The update check of the online services; the program plugs it in at start.
  std::function<void()> updateCheck;
  // Hands the working set back to the system; replaceable so tests can count it.
  std::function<void()> trimWorkingSet;
  // The present local time; tests set any moment here. Empty: the system clock.
  std::function<SYSTEMTIME()> localTime;
  // Starts (sound bytes) or stops (null) the alert sound; tests count the calls here.
  // Empty: the system's sound service.
  std::function<BOOL(const void* sound, UINT flags)> playSound;
  // Shows a message box captioned with the program's title and returns its answer; tests
  // record the calls here. Empty: the system's message box.
  std::function<int(HWND owner, const std::wstring& text, UINT type)> messageBox;
};

AppState& App();

// The data file beside this program.
std::wstring ProgramPath();
std::wstring CfgPathOfThisProgram();

// One running program per data file, so two task lists never overwrite each other's saves.
// The name that the running program's claim and its main window carry for this data file.
std::wstring InstanceName(const std::wstring& cfgPath);
// Claims the data file for this process; false (and no handle) when a program already holds it.
bool ClaimDataFile(const std::wstring& instanceName);
// Marks the main window as the one holding the claim, so a second start can find it.
void MarkInstanceWindow(HWND hwnd, const std::wstring& instanceName);
// Shows and brings forward the main window that holds the claim; false when there is none.
bool ShowRunningInstance(const std::wstring& instanceName);

SYSTEMTIME LocalTimeNow();
BOOL PlayAlertSound(const void* sound, UINT flags);
int ShowMessageBox(HWND owner, const std::wstring& text, UINT type);

// The ten-minute timer's callback (its arguments are ignored).
void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);

// Adds (0), changes (1) or deletes (2) the notification-area icon of the main window.
void TrayIcon(short action);

// The main window's hooked procedure: snaps the window to the work area's edges.
LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace tavik
