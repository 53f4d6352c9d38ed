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
};

struct WebResult {
  bool answered = false;  // a response (status line and headers) arrived
  DWORD status = 0;
  bool complete = false;  // the whole body arrived, as long as the server announced
  bool truncated = false;  // stopped at maxBodyBytes
};

// Body bytes go to `sink` as they arrive; a false return stops the transfer. `cancel`
// stops it at the next step as well.
WebResult RunWebRequest(const WebRequest& request, const std::atomic<bool>& cancel,
                        const std::function<bool(std::string_view)>& sink);

}  // namespace tavik
