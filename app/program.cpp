#include "app/program.h"

#include <windows.h>

namespace tavik {

namespace {
MessageBar* BarOf(MainWindow& main) { return main.IsAlive() ? main.Msg() : nullptr; }
}  // namespace

void MainWindowHost::SetBarText(const std::u16string& text) {
  if (MessageBar* bar = BarOf(main_)) {
    bar->Clear();
    if (!text.empty()) bar->DrawText(text);
  }
}

void MainWindowHost::ShowBar(bool show) {
  MessageBar* bar = BarOf(main_);
  if (!bar) return;
  if (show)
    bar->Show();
  else
    bar->Hide();
}

Program::Program(std::wstring cfgPath, Services systemServices)
    : services(std::move(systemServices)),
      frmMain(std::move(cfgPath), this->services, Items),
      frmRem(this->services),
      frmNew(Items),
      mnuItems(Items, frmNew, [this] { return frmMain.hwnd(); }),
      host_(frmMain) {}

Program::~Program() {
  if (frmMain.IsAlive()) frmMain.Unload();
  // An unload put off by an open box would otherwise run later, from the main window's
  // destructor, on parts destroyed before it; they close their own windows as they go.
  frmMain.unloadOthers.clear();
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
  frmMain.onRowMouseUp = [this](std::size_t at, short button) { mnuItems.MouseUp(at, button); };
  frmMain.onRowMenuKey = [this](std::size_t at, const RECT& row) { mnuItems.MenuKey(at, row); };
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
