#include "online/update_check.h"

#include <memory>
#include <vector>

#include "core/scoped.h"
#include "core/title.h"
#include "core/wide.h"
#include "core/window.h"
#include "core/worker.h"
#include "online/version.h"

namespace tavik {
namespace {

std::vector<ScopedHandle>& VisitThreads() {
  static std::vector<ScopedHandle> threads;  // touched on the window thread only
  return threads;
}

}  // namespace

UpdateCheck::UpdateCheck(OnlineHost& host, const Services& services)
    : Http1(services.web), installer(host, services), host_(host), services_(services) {
  Http1.Finished = [this] { OnFinished(); };
}

void UpdateCheck::Update() {
  if (stopped_ || host_.InBox()) return;  // the box's own work is still to finish; the next check comes
  Http1.Get1(UpdateRequestUrl(homeUrl));
}

void UpdateCheck::OnFinished() {
  DocumentCheck check;
  if (updateKey) {
    check = [key = *updateKey](std::string_view bytes, std::u16string_view signature) {
      return VerifySignedBytes(key, bytes, signature);
    };
  }
  const UpdateOutcome outcome = EvaluateUpdate(Http1.ResponseText(), homeUrl, kProgramVersion, info, check);
  info = outcome.info;
  statisticUrl_ = outcome.statisticUrl;
  if (outcome.tooOld) {
    // The box holds the evaluation; a close meanwhile waits, so the ending runs whole.
    host_.Box(Wide(kTooOldMessage), MB_ICONERROR);
    services_.openUrl(Wide(homeUrl));  // the built-in address, not the document's
    SpeedUp();
    host_.EndProgram();  // discards this window: nothing after it
    return;
  }
  // The bar of a download under way keeps its text; the download's end hides it.
  if (!installer.Downloading()) {
    // No news (a failed check too) hides the bar: none is left whose click installs an earlier offer.
    host_.SetBarText(outcome.announce ? outcome.barText : u"");
    host_.ShowBar(outcome.announce);
  }
  SpeedUp();
}

void UpdateCheck::Stop() {
  stopped_ = true;
  Http1.Terminate();
  installer.Stop();
}

void UpdateCheck::SpeedUp() { VisitStatistics(statisticUrl_, services_.web); }

void UpdateCheck::Install() {
  if (stopped_) return;
  installer.homeUrl = homeUrl;
  installer.OnClick(info);
}

void VisitStatistics(const std::u16string& url, const Services::WebFunction& web) {
  if (url.empty()) return;
  auto& threads = VisitThreads();
  for (auto it = threads.begin(); it != threads.end();) {  // forget the visits that are over
    if (WaitForSingleObject(it->get(), 0) == WAIT_OBJECT_0) {
      it = threads.erase(it);
    } else {
      ++it;
    }
  }
  WebRequest request;
  request.url = Wide(url);
  request.userAgent = L"Mozilla/5.0 (Windows NT 6.1; compatible; " + Wide(TitleAndVersion()) + L")";
  request.headers = L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";
  request.readBody = false;
  request.stepTimeoutMs = 10000;
  ScopedHandle thread = StartWorker([web, request] {
    const std::atomic<bool> never{false};
    web(request, never, [](std::string_view) { return false; });
  });
  if (thread) threads.push_back(std::move(thread));
}

void FinishStatisticVisits(DWORD waitMs) {
  auto& threads = VisitThreads();
  const DWORD start = GetTickCount();
  for (const ScopedHandle& h : threads) {
    const DWORD spent = GetTickCount() - start;
    WaitForSingleObject(h.get(), spent < waitMs ? waitMs - spent : 0);
  }
  threads.clear();
}

}  // namespace tavik
