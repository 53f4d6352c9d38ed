// app/: the program itself and its entry point (main.cpp), the one place that knows every
// part. It wires them: the task list and the main window that shows it, the reminder popup,
// the new-task dialog with the item menu, and the online services behind the message bar.
// Each part is handed what it needs when it is built and tells the others of anything only
// through the list it shares or the events wired here.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/services.h"
#include "core/task_list.h"
#include "editing/item_menu.h"
#include "editing/new_task_dialog.h"
#include "online/online_host.h"
#include "online/update_check.h"
#include "schedule/reminder_popup.h"
#include "widget/main_window.h"

namespace tavik {

// The main window as the online services see it: its message bar, its boxes and its end.
class MainWindowHost : public OnlineHost {
 public:
  explicit MainWindowHost(MainWindow& main) : main_(main) {}
  void SetBarText(const std::u16string& text) override;
  void ShowBar(bool show) override;
  int Box(const std::wstring& text, UINT type) override { return main_.ShowModalBox(text, type); }
  bool InBox() const override { return main_.InModalBox(); }
  bool Closing() const override { return main_.Closing(); }
  void EndProgram() override { main_.Unload(); }

 private:
  MainWindow& main_;
};

class Program {
 public:
  Program(std::wstring cfgPath, Services systemServices);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Creates the main window (which loads the data file) and plugs the parts in; then show it.
  bool Start();

  // frmAst: made on first use (the first update check or the first click on the bar),
  // discarded when the main window unloads.
  UpdateCheck& Online();
  bool OnlineLoaded() const { return online_ != nullptr; }

  const Services services;
  // The tasks, shown and kept by the main window, changed by the dialog and the item menu.
  TaskList Items;
  MainWindow frmMain;
  ReminderPopup frmRem;
  NewTaskDialog frmNew;
  ItemMenu mnuItems;

 private:
  void RetireOnline();

  MainWindowHost host_;
  std::unique_ptr<UpdateCheck> online_;
  std::vector<std::unique_ptr<UpdateCheck>> retired_;  // unloaded, stopped, kept till the end
};

}  // namespace tavik
