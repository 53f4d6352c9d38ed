#include "online/http_control.h"

#include <atomic>

#include "core/title.h"
#include "core/wide.h"
#include "core/window.h"
#include "core/worker.h"
#include "online/message_window.h"
#include "online/update_doc.h"

namespace tavik {

// Shared by the control and its worker thread. A dropped request keeps only the worker's
// reference, so the worker never writes to anything the control has freed.
struct Http::Transfer {
  Services::WebFunction web;
  WebRequest request;
  std::atomic<bool> done{false};
  std::atomic<bool> abandoned{false};
  std::string body;  // written by the worker before done is set
};

namespace {

constexpr UINT_PTR kReaderTimerId = 1;

// The one caller receives ASCII; every byte keeps its value (Latin-1), so ASCII is unchanged.
std::u16string BytesToText(const std::string& bytes) {
  std::u16string text(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) text[i] = static_cast<unsigned char>(bytes[i]);
  return text;
}

std::string Utf8(const std::u16string& text) {
  if (text.empty()) return {};
  const auto* w = reinterpret_cast<const wchar_t*>(text.data());
  const int n = WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// On the worker thread, which holds its own reference: the control may drop the transfer.
void RunTransfer(Http::Transfer& transfer) {
  std::string received;
  const WebResult result = transfer.web(transfer.request, transfer.abandoned, [&](std::string_view bytes) {
    received.append(bytes);
    return true;
  });
  // A body cut short of its announced length is no answer: half a document can read as
  // another one (a missing MinVer, a different release).
  if (result.complete || result.truncated) transfer.body = std::move(received);
  transfer.done.store(true, std::memory_order_release);
}

}  // namespace

Http::Http(Services::WebFunction web) : web_(std::move(web)), poller_(std::make_unique<MessageWindow>()) {
  poller_->onMessage = [this](UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_TIMER && wp == kReaderTimerId) OnTick();
  };
}

Http::~Http() { Terminate(); }

void Http::Get1(const std::u16string& url) { Start(L"GET", url, {}, 1); }

void Http::Post1(const std::u16string& url, const std::u16string& postdata) {
  Start(L"POST", url, Utf8(postdata), 2);
}

void Http::Terminate() {
  if (poller_->IsAlive()) KillTimer(poller_->hwnd(), kReaderTimerId);
  if (transfer_) transfer_->abandoned = true;
  transfer_.reset();
}

void Http::Start(const wchar_t* method, const std::u16string& url, std::string body, short resultType) {
  Terminate();
  std::shared_ptr<Transfer> transfer(new Transfer);  // not make_shared: that drags in the run-time type machinery
  transfer->web = web_;
  WebRequest& request = transfer->request;
  request.method = method;
  request.url = reinterpret_cast<const wchar_t*>(url.c_str());
  request.userAgent = Wide(TitleAndVersion());
  request.headers = L"If-Modified-Since: 0\r\nUser-Agent: " + request.userAgent + L"\r\n";
  request.body = std::move(body);
  request.stepTimeoutMs = kHttpTimeoutMs;
  request.totalLimitMs = 4 * kHttpTimeoutMs;  // an abandoned trickle still ends by itself
  request.maxBodyBytes = kMaxUpdateDocument + 1;  // enough to tell a document from anything larger
  if (!StartWorker([transfer] { RunTransfer(*transfer); }))
    transfer->done = true;  // no thread: the request ends at once with an empty body
  transfer_ = std::move(transfer);
  startTick_ = GetTickCount();
  resultType_ = resultType;
  SetTimer(poller_->hwnd(), kReaderTimerId, kHttpPollMs, nullptr);
}

void Http::OnTick() {
  if (!transfer_) {
    Terminate();
    return;
  }
  if (transfer_->done.load(std::memory_order_acquire)) {
    responseText_ = BytesToText(transfer_->body);
  } else if (HttpTimedOut(startTick_, GetTickCount(), timeoutMs)) {
    responseText_.clear();
  } else {
    return;
  }
  Terminate();
  const auto handler = Finished;  // the handler may destroy this control
  if (handler) handler();
}

}  // namespace tavik
