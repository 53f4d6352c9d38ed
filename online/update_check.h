// frmAst, the hidden auxiliary window of the online services: the update check with its
// announcement in the message bar, the statistics visit and the installer behind the bar.
// It is made on first use and discarded when the main window unloads.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "online/http_control.h"
#include "online/installer.h"
#include "online/online_host.h"
#include "online/update_doc.h"

namespace tavik {

class MainWindow;
class MessageBar;

inline constexpr char16_t kHomeUrl[] = u"" TAVIK_HOME_URL;

class UpdateCheck {
 public:
  explicit UpdateCheck(OnlineHost& host);

  // Asks the site for its update document; the answer is evaluated when it arrives. Nothing
  // while a box of the program is open.
  void Update();
  // The statistics visit for the last evaluated document; nothing when it named no page.
  void SpeedUp();
  // The click on the bar.
  void Install();

  UpdateInfo info;  // Home, Statistic, Feedback, Donate, DownUrl, Hash, Tips
  Http Http1;
  Installer installer;
  std::u16string homeUrl = kHomeUrl;  // the built-in address; tests point it at themselves

 private:
  void OnFinished();

  OnlineHost& host_;
  std::u16string statisticUrl_;
};

// One plain GET of the statistics page, past any cache, on a thread of its own; nothing is
// shown or read back, and the request is released when it ends.
void VisitStatistics(const std::u16string& url);
// Lets visits still under way finish before the program ends, waiting at most waitMs.
void FinishStatisticVisits(DWORD waitMs);

// The main window as the online services see it.
std::unique_ptr<OnlineHost> HostOf(MainWindow& frmMain);

// frmAst: made on first use, with the main window's bar and unload.
UpdateCheck& FrmAst();
void UnloadFrmAst();
// Plugs the online services into the program: the timer's update check, the bar's click,
// and frmAst's unload with the main window.
void ConnectOnlineServices(MainWindow& frmMain);

}  // namespace tavik
