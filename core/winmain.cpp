#include <windows.h>

#include <commctrl.h>

#include "core/app.h"
#include "core/main_window.h"
#include "core/window.h"
#include "editing/new_task_dialog.h"
#include "online/update_check.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);

  const std::wstring cfgPath = tavik::CfgPathOfThisProgram();
  const std::wstring instance = tavik::InstanceName(cfgPath);
  if (!tavik::ClaimDataFile(instance)) {  // already running on this data file: show that one
    tavik::ShowRunningInstance(instance);
    return 0;
  }

  tavik::MainWindow frmMain(cfgPath);
  if (!frmMain.Create()) return 1;
  tavik::MarkInstanceWindow(frmMain.hwnd(), instance);
  tavik::ConnectOnlineServices(frmMain);
  frmMain.Show();

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // Tab, Enter and Esc in the main window, the dialog and the popup.
    if (tavik::HandleDialogKeys(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  tavik::FinishStatisticVisits(3000);  // a closing program still makes its last visit
  return 0;
}
