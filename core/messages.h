// The program's own window messages, each named once.
#pragma once

#include <windows.h>

namespace tavik {

// The notification-area icon's callback to the main window; lParam holds the mouse message.
inline constexpr UINT kTrayMessage = WM_APP + 1;
// Posted by the main window to itself when a save failed, so the box opens after the work
// that saved.
inline constexpr UINT kSaveFailedMessage = WM_APP + 2;
// Posted by the download thread to the installer's window when the release is on disk.
inline constexpr UINT kDownloadedMessage = WM_APP + 3;

}  // namespace tavik
