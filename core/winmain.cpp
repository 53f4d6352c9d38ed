#include "core/winmain.h"

#include <windows.h>

#include "core/instance.h"
#include "core/window.h"

namespace tavik {

Program::Program(std::wstring cfgPath, Services systemServices)
    : services(std::move(systemServices)),
      frmMain(std::move(cfgPath), this->services),
      frmRem(this->services),
      frmNew(frmMain),
      mnuItems(frmMain, frmNew),
      host_(frmMain) {}

Program::~Program() {
  if (frmMain.IsAlive()) frmMain.Unload();
}

void Program::RetireOnline() {
  // Its work stops now; the object itself goes with the program, since the unload may run
  // inside one of its own calls (a message loop under a box or the browser's start).
  if (!online_) return;
  online_->Stop();
  retired_.push_back(std::move(online_));
}

UpdateCheck& Program::Online() {
  if (!online_) online_ = std::make_unique<UpdateCheck>(host_, services);
  return *online_;
}

bool Program::Start() {
  // The events are plugged in before the window is made: its load already ticks and adds rows.
  frmMain.onRowMouseUp = [this](TaskRow& row, short button) { mnuItems.MouseUp(row.index(), button); };
  frmMain.onRowMenuKey = [this](TaskRow& row) { mnuItems.MenuKey(row.index()); };
  frmMain.onNewTask = [this] { frmNew.Show(); };
  frmMain.onDue = [this](const std::u16string& time, const std::u16string& info) {
    frmRem.Remind(time, info);
  };
  frmMain.onDueSoon = [this] { frmRem.Prepare(); };
  frmMain.onUpdateCheck = [this] { Online().Update(); };
  // Closed with the main window: frmAst, frmRem, frmNew (its unsaved input is dropped).
  frmMain.unloadOthers = {
      [this] { RetireOnline(); },
      [this] { frmRem.Unload(); },
      [this] { frmNew.Unload(); },
  };
  if (!frmMain.Create()) return false;
  if (MessageBar* bar = frmMain.Msg()) bar->onClick = [this] { Online().Install(); };
  return true;
}

}  // namespace tavik

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
