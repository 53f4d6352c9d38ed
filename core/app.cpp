#include "core/app.h"

#include <mmsystem.h>

#include "core/app_paths.h"
#include "core/window.h"

namespace tavik {

AppState& App() {
  static AppState state;
  return state;
}

std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring CfgPathOfThisProgram() { return Wide(CfgPathFor(U16(ProgramPath()))); }

SYSTEMTIME LocalTimeNow() {
  AppState& app = App();
  if (app.localTime) return app.localTime();
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now;
}

BOOL PlayAlertSound(const void* sound, UINT flags) {
  AppState& app = App();
  if (app.playSound) return app.playSound(sound, flags);
  return PlaySoundW(static_cast<const wchar_t*>(sound), nullptr, flags);
}

void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD) {
  AppState& app = App();
  const TimerActions actions = app.timerTicks.Tick();
  if (actions.updateCheck && app.updateCheck) app.updateCheck();
  if (actions.trimWorkingSet) {
    if (app.trimWorkingSet)
      app.trimWorkingSet();
    else
      SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
  }
}

}  // namespace tavik
