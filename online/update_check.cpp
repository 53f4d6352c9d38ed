#include "online/update_check.h"

#include <memory>
#include <vector>

#include "core/app.h"
#include "core/main_window.h"
#include "online/message_bar.h"
#include "online/shell.h"
#include "online/version.h"
#include "online/web_request.h"

namespace tavik {
namespace {

std::vector<HANDLE>& VisitThreads() {
  static std::vector<HANDLE> threads;  // touched on the window thread only
  return threads;
}

DWORD WINAPI VisitThread(void* param) {
  std::unique_ptr<WebRequest> request(static_cast<WebRequest*>(param));
  const std::atomic<bool> never{false};
  RunWebRequest(*request, never, [](std::string_view) { return false; });
  return 0;
}

class MainWindowHost : public OnlineHost {
 public:
  explicit MainWindowHost(MainWindow& main) : main_(main) {}
  MessageBar* Bar() override { return main_.IsAlive() ? main_.Msg() : nullptr; }
  int Box(const std::wstring& text, UINT type) override { return main_.ShowModalBox(text, type); }
  bool InBox() const override { return main_.InModalBox(); }
  bool Closing() const override { return main_.Closing(); }
  void EndProgram() override { main_.Unload(); }

 private:
  MainWindow& main_;
};

struct Ast {
  std::unique_ptr<OnlineHost> host;
  std::unique_ptr<UpdateCheck> check;
};

Ast& AstSlot() {
  static Ast ast;
  return ast;
}

}  // namespace

UpdateCheck::UpdateCheck(OnlineHost& host) : installer(host), host_(host) {
  Http1.Finished = [this] { OnFinished(); };
}

void UpdateCheck::Update() {
  if (host_.InBox()) return;  // the box's own work is still to finish; the next check comes
  Http1.Get1(UpdateRequestUrl(homeUrl));
}

void UpdateCheck::OnFinished() {
  const UpdateOutcome outcome = EvaluateUpdate(Http1.ResponseText(), homeUrl, kProgramVersion, info);
  info = outcome.info;
  statisticUrl_ = outcome.statisticUrl;
  if (outcome.tooOld) {
    // The box holds the evaluation; a close meanwhile waits, so the ending runs whole.
    host_.Box(Wide(kTooOldMessage), MB_ICONERROR);
    OnlineShell& shell = Shell();
    if (shell.openUrl) shell.openUrl(Wide(homeUrl));  // the built-in address, not the document's
    SpeedUp();
    host_.EndProgram();  // discards this window: nothing after it
    return;
  }
  if (MessageBar* bar = host_.Bar()) {
    bar->Clear();
    if (outcome.announce) {
      bar->DrawText(outcome.barText);
      bar->Show();
    }
  }
  SpeedUp();
}

void UpdateCheck::SpeedUp() { VisitStatistics(statisticUrl_); }

void UpdateCheck::Install() {
  installer.homeUrl = homeUrl;
  installer.OnClick(info);
}

void VisitStatistics(const std::u16string& url) {
  if (url.empty()) return;
  auto& threads = VisitThreads();
  for (auto it = threads.begin(); it != threads.end();) {  // forget the visits that are over
    if (WaitForSingleObject(*it, 0) == WAIT_OBJECT_0) {
      CloseHandle(*it);
      it = threads.erase(it);
    } else {
      ++it;
    }
  }
  auto request = std::make_unique<WebRequest>();
  request->url = Wide(url);
  request->userAgent = L"Mozilla/5.0 (Windows NT 6.1; compatible; Tavik 0.5.1)";
  request->headers = L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";
  request->readBody = false;
  request->stepTimeoutMs = 10000;
  HANDLE thread = CreateThread(nullptr, 0, &VisitThread, request.get(), 0, nullptr);
  if (!thread) return;
  request.release();  // the thread owns it now
  threads.push_back(thread);
}

void FinishStatisticVisits(DWORD waitMs) {
  auto& threads = VisitThreads();
  const DWORD start = GetTickCount();
  for (HANDLE h : threads) {
    const DWORD spent = GetTickCount() - start;
    WaitForSingleObject(h, spent < waitMs ? waitMs - spent : 0);
    CloseHandle(h);
  }
  threads.clear();
}

std::unique_ptr<OnlineHost> HostOf(MainWindow& frmMain) { return std::make_unique<MainWindowHost>(frmMain); }

UpdateCheck& FrmAst() {
  Ast& ast = AstSlot();
  if (!ast.check) {
    ast.host = HostOf(*App().frmMain);
    ast.check = std::make_unique<UpdateCheck>(*ast.host);
  }
  return *ast.check;
}

void UnloadFrmAst() {
  AstSlot().check.reset();
  AstSlot().host.reset();
}

void ConnectOnlineServices(MainWindow& frmMain) {
  App().updateCheck = [] { FrmAst().Update(); };
  if (MessageBar* bar = frmMain.Msg()) bar->onClick = [] { FrmAst().Install(); };
  frmMain.unloadOthers.push_back(&UnloadFrmAst);
}

}  // namespace tavik
