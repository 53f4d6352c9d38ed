// One HTTP exchange through WinHTTP, run to its end on the calling thread. The online
// services call it from worker threads only, so the window thread never waits on the network.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tavik {

struct WebRequest {
  std::wstring method = L"GET";
  std::wstring url;
  std::wstring userAgent;
  std::wstring headers;  // extra request headers, each "Name: value\r\n"
  std::string body;      // sent as is (POST)
  DWORD stepTimeoutMs = 5000;  // name resolution, connect, send, and each wait for data
  DWORD totalLimitMs = 0;      // the whole exchange, checked between reads; 0: none
  std::uint64_t maxBodyBytes = UINT64_MAX;
  bool readBody = true;  // false: stop once the response has begun
  // Empty: redirects are followed as the HTTP stack follows them. Otherwise each one is
  // followed only to an address this accepts (at most kMaxRedirects of them), and any other
  // ends the exchange unanswered.
  std::function<bool(std::u16string_view url)> mayFollow;
};

inline constexpr int kMaxRedirects = 5;

struct WebResult {
  bool answered = false;  // a response (status line and headers) arrived
  DWORD status = 0;
  bool complete = false;  // the whole body arrived, as long as the server announced
  bool truncated = false;  // stopped at maxBodyBytes, or announced more than that
  bool redirectRefused = false;  // a redirect led to an address mayFollow refused
};

// Body bytes go to `sink` as they arrive; a false return stops the transfer. `cancel`
// stops it at the next step as well.
WebResult RunWebRequest(const WebRequest& request, const std::atomic<bool>& cancel,
                        const std::function<bool(std::string_view)>& sink);

}  // namespace tavik
