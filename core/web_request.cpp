#include "core/web_request.h"

#include <winhttp.h>

#include <algorithm>
#include <vector>

#include "core/scoped.h"
#include "core/window.h"
#include "core/address.h"

namespace tavik {
namespace {

// WinHTTP, and all it loads, comes in at the first request instead of at start: most of the
// program's run never asks the web for anything.
struct WinHttpApi {
  bool loaded;
  decltype(&::WinHttpAddRequestHeaders) AddRequestHeaders;
  decltype(&::WinHttpCloseHandle) CloseHandle;
  decltype(&::WinHttpConnect) Connect;
  decltype(&::WinHttpCrackUrl) CrackUrl;
  decltype(&::WinHttpOpen) Open;
  decltype(&::WinHttpOpenRequest) OpenRequest;
  decltype(&::WinHttpQueryDataAvailable) QueryDataAvailable;
  decltype(&::WinHttpQueryHeaders) QueryHeaders;
  decltype(&::WinHttpReadData) ReadData;
  decltype(&::WinHttpReceiveResponse) ReceiveResponse;
  decltype(&::WinHttpSendRequest) SendRequest;
  decltype(&::WinHttpSetOption) SetOption;
  decltype(&::WinHttpSetTimeouts) SetTimeouts;
};
WinHttpApi api;  // constant-initialised: filled once, by whichever thread asks first

BOOL CALLBACK LoadWinHttp(PINIT_ONCE, PVOID, PVOID*) {
  const HMODULE dll = LoadSystemLibrary(L"winhttp.dll");
  if (!dll) return TRUE;
  bool ok = true;
    api.AddRequestHeaders = reinterpret_cast<decltype(&::WinHttpAddRequestHeaders)>(reinterpret_cast<void*>(GetProcAddress(dll, "WinHttpAddRequestHeaders")));
    ok = ok && api.AddRequestHeaders;
    api.CloseHandle = reinterpret_cast<decltype(&::WinHttpCloseHandle)>(reinterpret_cast<void*>(GetProcAddress(dll, "WinHttpCloseHandle")));
    ok = ok && api.CloseHandle;
    api.Connect = reinterpret_cast<decltype(&::WinHttpConnect)>(reinterpret_cast<void*>(GetProcAddress(dll, "WinHttpConnect")));
    ok = ok && api.Connect;
    api.CrackUrl = reinterpret_cast<decltype(&::WinHttpCrackUrl)>(reinterpret_cast<void*>(GetProcAddress(dll, "WinHttpCrackUrl")));
    ok = ok && api.CrackUrl;
    api.Open = reinterpret_cast<decltype(&::WinHttpOpen)>(reinterpret_cast<void*>(GetProcAddress(dll, "WinHttpOpen")));
    ok = ok && api.Open;
    api.OpenRequest = reinterpret_cast<decltype(&::WinHttpOpenRequest)>(reinterpret_cast<void*>(GetProcAddress(dll, "WinHttpOpenRequest")));
    ok = ok && api.OpenRequest;
    api.QueryDataAvailable = reinterpret_cast<decltype(&::WinHttpQueryDataAvailable)>(reinterpret_cast<void*>(GetProcAddress(dll, "WinHttpQueryDataAvailable")));
    ok = ok && api.QueryDataAvailable;
    api.QueryHeaders = reinterpret_cast<decltype(&::WinHttpQueryHeaders)>(reinterpret_cast<void*>(GetProcAddress(dll, "WinHttpQueryHeaders")));
    ok = ok && api.QueryHeaders;
    api.ReadData = reinterpret_cast<decltype(&::WinHttpReadData)>(reinterpret_cast<void*>(GetProcAddress(dll, "WinHttpReadData")));
    ok = ok && api.ReadData;
    api.ReceiveResponse = reinterpret_cast<decltype(&::WinHttpReceiveResponse)>(reinterpret_cast<void*>(GetProcAddress(dll, "WinHttpReceiveResponse")));
    ok = ok && api.ReceiveResponse;
    api.SendRequest = reinterpret_cast<decltype(&::WinHttpSendRequest)>(reinterpret_cast<void*>(GetProcAddress(dll, "WinHttpSendRequest")));
    ok = ok && api.SendRequest;
    api.SetOption = reinterpret_cast<decltype(&::WinHttpSetOption)>(reinterpret_cast<void*>(GetProcAddress(dll, "WinHttpSetOption")));
    ok = ok && api.SetOption;
    api.SetTimeouts = reinterpret_cast<decltype(&::WinHttpSetTimeouts)>(reinterpret_cast<void*>(GetProcAddress(dll, "WinHttpSetTimeouts")));
    ok = ok && api.SetTimeouts;
  api.loaded = ok;
  return TRUE;
}

// The functions, loaded; null when WinHTTP is not there.
const WinHttpApi* WinHttp() {
  static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
  InitOnceExecuteOnce(&once, &LoadWinHttp, nullptr, nullptr);
  return api.loaded ? &api : nullptr;
}

struct InternetTraits {
  using Handle = HINTERNET;
  static HINTERNET Invalid() { return nullptr; }
  static bool Close(HINTERNET h) { return WinHttp()->CloseHandle(h) != FALSE; }
};
using InternetHandle = Scoped<InternetTraits>;

bool IsRedirectStatus(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool QueryNumber(HINTERNET request, DWORD what, DWORD& value) {
  DWORD size = sizeof value;
  return WinHttp()->QueryHeaders(request, what | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX, &value,
                             &size, WINHTTP_NO_HEADER_INDEX) != FALSE;
}

}  // namespace

namespace {

// One request of the exchange, without following redirects when the caller checks them.
// Sets `location` to where a redirect points (and returns the result so far) when it stops
// for one.
WebResult RunOnce(const WebRequest& req, const std::wstring& url, const std::atomic<bool>& cancel,
                  const std::function<bool(std::string_view)>& sink, DWORD started, std::wstring& location) {
  WebResult result;
  auto overTime = [&] { return req.totalLimitMs != 0 && GetTickCount() - started >= req.totalLimitMs; };

  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength =
      static_cast<DWORD>(-1);
  if (url.empty() || !WinHttp()->CrackUrl(url.c_str(), 0, 0, &parts)) return result;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return result;
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  if (parts.lpszExtraInfo) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";

  InternetHandle session(WinHttp()->Open(req.userAgent.empty() ? nullptr : req.userAgent.c_str(),
                                     WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                     WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) return result;
  const int step = static_cast<int>(req.stepTimeoutMs);
  WinHttp()->SetTimeouts(session.get(), step, step, step, step);
  InternetHandle connection(WinHttp()->Connect(session.get(), host.c_str(), parts.nPort, 0));
  if (!connection || cancel) return result;
  InternetHandle request(WinHttp()->OpenRequest(connection.get(), req.method.c_str(), path.c_str(), nullptr,
                                            WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                            parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
  if (!request) return result;
  // The wait for the response head has a time-out of its own, 90 s unless set.
  DWORD responseTimeout = req.stepTimeoutMs;
  WinHttp()->SetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout, sizeof responseTimeout);
  if (req.mayFollow) {
    DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    WinHttp()->SetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never);
  }
  if (!req.headers.empty())
    WinHttp()->AddRequestHeaders(request.get(), req.headers.c_str(), static_cast<DWORD>(-1L),
                             WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
  const DWORD bodySize = static_cast<DWORD>(req.body.size());
  void* body = req.body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(req.body.data());
  if (!WinHttp()->SendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, body, bodySize, bodySize, 0)) return result;
  if (cancel || overTime() || !WinHttp()->ReceiveResponse(request.get(), nullptr)) return result;
  result.answered = true;
  QueryNumber(request.get(), WINHTTP_QUERY_STATUS_CODE, result.status);
  if (req.mayFollow && IsRedirectStatus(result.status)) {
    DWORD size = 0;
    WinHttp()->QueryHeaders(request.get(), WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                        WINHTTP_NO_HEADER_INDEX);
    location.assign(size / sizeof(wchar_t), L'\0');
    if (size == 0 || !WinHttp()->QueryHeaders(request.get(), WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX,
                                          location.data(), &size, WINHTTP_NO_HEADER_INDEX))
      location.clear();
    location.resize(size / sizeof(wchar_t));
    if (location.empty()) location = L" ";  // a redirect that names no place is refused below
    return result;
  }
  if (!req.readBody) return result;

  DWORD announced = 0;
  const bool hasLength = QueryNumber(request.get(), WINHTTP_QUERY_CONTENT_LENGTH, announced);
  if (hasLength && announced > req.maxBodyBytes) {
    result.truncated = true;  // refused before a byte is read
    return result;
  }
  std::uint64_t received = 0;
  std::vector<char> buffer(16 * 1024);
  for (;;) {
    if (cancel || overTime()) return result;
    DWORD available = 0;
    if (!WinHttp()->QueryDataAvailable(request.get(), &available)) return result;
    if (available == 0) break;  // the end of the body
    while (available > 0) {
      if (received >= req.maxBodyBytes) {
        result.truncated = true;
        return result;
      }
      const std::uint64_t room = req.maxBodyBytes - received;
      const DWORD want = static_cast<DWORD>(std::min<std::uint64_t>({available, buffer.size(), room}));
      DWORD got = 0;
      if (!WinHttp()->ReadData(request.get(), buffer.data(), want, &got)) return result;
      if (got == 0) break;
      received += got;
      available -= std::min(available, got);
      if (!sink(std::string_view(buffer.data(), got))) return result;
    }
  }
  // A connection closed early ends the body without an error: compare with what was announced.
  result.complete = !hasLength || received == announced;
  return result;
}

}  // namespace

WebResult RunWebRequest(const WebRequest& req, const std::atomic<bool>& cancel,
                        const std::function<bool(std::string_view)>& sink) {
  if (!WinHttp()) return {};  // no HTTP stack: no answer
  const DWORD started = GetTickCount();
  std::wstring url = req.url;
  for (int hop = 0;; ++hop) {
    std::wstring location;
    WebResult result = RunOnce(req, url, cancel, sink, started, location);
    if (location.empty()) return result;
    const std::u16string next = ResolveAddress(U16(url), U16(location));
    if (hop == kMaxRedirects || next.empty() || !req.mayFollow(next)) {
      result.redirectRefused = true;
      result.complete = false;
      return result;
    }
    url = Wide(next);
  }
}

}  // namespace tavik
