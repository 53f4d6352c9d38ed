#include "online/shell.h"

#include <shellapi.h>

#include "core/app.h"
#include "core/window.h"
#include "online/update_script.h"

namespace tavik {
namespace {

void RealOpenUrl(const std::wstring& url) {
  ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool RealStartScript(const std::wstring& folder) {
  wchar_t system[MAX_PATH];
  const UINT n = GetSystemDirectoryW(system, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  const std::wstring cmd = std::wstring(system) + L"\\cmd.exe";
  // No AutoRun commands, no delayed expansion: the script runs exactly as written.
  std::wstring commandLine = L"cmd.exe /d /v:off /c " + std::wstring(reinterpret_cast<const wchar_t*>(kScriptName));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(cmd.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      folder.c_str(), &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

}  // namespace

OnlineShell& Shell() {
  static OnlineShell shell{RealOpenUrl, RealStartScript};
  return shell;
}

}  // namespace tavik
