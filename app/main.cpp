// The entry point: one program per data file, then the program's parts wired and the message
// loop run until the main window is gone.
#include <windows.h>

#include "app/program.h"
#include "core/instance.h"
#include "core/keyboard.h"
#include "core/wide.h"
#include "core/window.h"
#include "online/update_check.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring cfgPath = tavik::CfgPathOfThisProgram();
  const std::wstring instance = tavik::InstanceName(cfgPath);
  switch (tavik::ClaimDataFile(instance, cfgPath)) {
    case tavik::Claim::Ours:
      break;
    case tavik::Claim::RunningHere:  // already running on this data file: show that one
      tavik::ShowRunningInstance(instance);
      return 0;
    case tavik::Claim::RunningElsewhere:  // in another logon or on another computer: say so
      MessageBoxW(nullptr, tavik::Wide(tavik::RunningElsewhereMessage(cfgPath)).c_str(), L"Tavik",
                  MB_ICONINFORMATION);
      return 0;
  }

  tavik::Program program(cfgPath, tavik::SystemServices());
  if (!program.Start()) return 1;
  tavik::MarkInstanceWindow(program.frmMain.hwnd(), instance);
  program.frmMain.Show();

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
