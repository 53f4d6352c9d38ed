// What the online services hand to the user's desktop: the browser and the command
// interpreter. Tests put recorders here, so nothing is opened or run.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace tavik {

struct OnlineShell {
  // Opens an address in the user's browser.
  std::function<void(const std::wstring& url)> openUrl;
  // Starts the update script of a folder, hidden and without waiting; false when it did not start.
  std::function<bool(const std::wstring& folder)> startScript;
};

// Starts with the real desktop.
OnlineShell& Shell();

}  // namespace tavik
