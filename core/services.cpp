#include "core/services.h"

#include <shellapi.h>

#include "core/scoped.h"
#include "core/system_library.h"
#include "core/title.h"
#include "core/wide.h"
#include "core/window.h"

namespace tavik {
namespace {

SYSTEMTIME SystemLocalTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return now;
}

// The sound library is loaded at the first sound, not at start: most runs ring nothing.
BOOL SystemPlaySound(const void* sound, UINT flags) {
  using PlaySoundFn = BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD);
  static const auto play = SystemFunction<PlaySoundFn>(L"winmm.dll", "PlaySoundW");
  return play ? play(static_cast<LPCWSTR>(sound), nullptr, flags) : FALSE;
}

int SystemMessageBox(HWND owner, const std::wstring& text, UINT type) {
  return MessageBoxW(owner, text.c_str(), W(kProgramTitle), type | MB_SETFOREGROUND);
}

void SystemTrim() {
  SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

void SystemOpenUrl(const std::wstring& url) {
  static const auto open = SystemFunction<decltype(&ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
  if (open) open(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool SystemStartScript(const std::wstring& folder, const std::wstring& script) {
  wchar_t system[MAX_PATH];
  const UINT n = GetSystemDirectoryW(system, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  const std::wstring cmd = std::wstring(system) + L"\\cmd.exe";
  // No AutoRun commands, no delayed expansion: the script runs exactly as written.
  std::wstring commandLine = L"cmd.exe /d /v:off /c " + script;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(cmd.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      folder.c_str(), &si, &pi))
    return false;
  ScopedHandle thread(pi.hThread), process(pi.hProcess);
  return true;
}

}  // namespace

Services SystemServices() {
  Services s;
  s.localTime = &SystemLocalTime;
  s.playSound = &SystemPlaySound;
  s.messageBox = &SystemMessageBox;
  s.trimWorkingSet = &SystemTrim;
  s.openUrl = &SystemOpenUrl;
  s.startScript = &SystemStartScript;
  s.web = &RunWebRequest;
  return s;
}

}  // namespace tavik
