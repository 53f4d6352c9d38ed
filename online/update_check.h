// online/: the update check, the installer, the HTTP control, release signatures and CRC-32;
// what they have to show goes through their host (online_host.h), never a control.
//
// frmAst, the hidden auxiliary window of the online services: the update check with its
// announcement in the message bar, the statistics visit and the installer behind the bar.
// The program makes it on first use and discards it when the main window unloads.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "core/services.h"
#include "online/http_control.h"
#include "online/installer.h"
#include "online/online_host.h"
#include "online/release_verify.h"
#include "online/update_doc.h"

namespace tavik {

inline constexpr char16_t kHomeUrl[] = u"" TAVIK_HOME_URL;

class UpdateCheck {
 public:
  // The bar, the boxes and the end of the program are `host`'s; the web and the desktop go
  // through `services`. Both outlive it.
  UpdateCheck(OnlineHost& host, const Services& services);

  // Asks the site for its update document; the answer is evaluated when it arrives. Nothing
  // while a box of the program is open.
  void Update();
  // The statistics visit for the last evaluated document; nothing when it named no page.
  void SpeedUp();
  // The click on the bar.
  void Install();
  // The unload: no request, download or box of it goes on.
  void Stop();

  UpdateInfo info;  // Home, Statistic, Feedback, Donate, DownUrl, Hash, Tips
  Http Http1;
  Installer installer;
  std::u16string homeUrl = kHomeUrl;  // the built-in address; tests point it at themselves
  // With a key, only a document that key signed is acted on, and only a later release is
  // announced; without one, every document is read as it comes.
  std::optional<UpdateKey> updateKey = BuiltInUpdateKey();

 private:
  void OnFinished();

  OnlineHost& host_;
  const Services& services_;
  std::u16string statisticUrl_;
  bool stopped_ = false;
};

// One plain GET of the statistics page, past any cache, on a thread of its own; nothing is
// shown or read back, and the request is released when it ends.
void VisitStatistics(const std::u16string& url, const Services::WebFunction& web);
// Lets visits still under way finish before the program ends, waiting at most waitMs.
void FinishStatisticVisits(DWORD waitMs);

}  // namespace tavik
