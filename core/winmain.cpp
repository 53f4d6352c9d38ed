#include <windows.h>

#include <commctrl.h>

#include "core/app.h"
#include "core/main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);

  tavik::MainWindow frmMain(tavik::CfgPathOfThisProgram());
  if (!frmMain.Create()) return 1;
  frmMain.Show();

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
