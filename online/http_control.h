// Http: one HTTP request at a time without blocking the window thread. The owner calls Get1
// or Post1 and carries on; Finished tells it when ResponseText holds the body, or "" when
// the request was given up after five seconds.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "core/services.h"

namespace tavik {

class MessageWindow;

inline constexpr UINT kHttpPollMs = 200;
inline constexpr DWORD kHttpTimeoutMs = 5000;

// The tick difference is taken modulo 2^32, so a request started just before the counter
// wraps times out like any other.
constexpr bool HttpTimedOut(DWORD startTick, DWORD now, DWORD limitMs) noexcept {
  return static_cast<DWORD>(now - startTick) >= limitMs;
}

class Http {
 public:
  // Requests run through `web` on a worker thread.
  explicit Http(Services::WebFunction web);
  ~Http();
  Http(const Http&) = delete;
  Http& operator=(const Http&) = delete;

  // Each drops a request still waiting, without Finished for it.
  void Get1(const std::u16string& url);
  void Post1(const std::u16string& url, const std::u16string& postdata);
  // Stops polling and drops the request in flight; no Finished.
  void Terminate();

  short ResultType() const { return resultType_; }  // 1 after Get1, 2 after Post1
  const std::u16string& ResponseText() const { return responseText_; }
  bool Waiting() const { return transfer_ != nullptr; }

  // Raised once per request on the window thread; the handler may destroy this control.
  std::function<void()> Finished;
  // Tests shorten the wait; the program keeps five seconds.
  DWORD timeoutMs = kHttpTimeoutMs;

  struct Transfer;  // a request under way, shared with its thread

 private:
  void Start(const wchar_t* method, const std::u16string& url, std::string body, short resultType);
  void OnTick();

  Services::WebFunction web_;
  std::unique_ptr<MessageWindow> poller_;
  std::shared_ptr<Transfer> transfer_;
  DWORD startTick_ = 0;
  short resultType_ = 0;
  std::u16string responseText_;
};

}  // namespace tavik
