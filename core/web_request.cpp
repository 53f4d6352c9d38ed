#include "core/web_request.h"

#include <algorithm>
#include <vector>

#include "core/address.h"
#include "core/scoped.h"
#include "core/system_library.h"
#include "core/wide.h"
#include "core/window.h"
#include "core/winhttp_api.h"

namespace tavik {
namespace {

WinHttpApi api;  // constant-initialised: filled once, by whichever thread asks first

BOOL CALLBACK LoadWinHttp(PINIT_ONCE, PVOID, PVOID*) {
  const HMODULE dll = LoadSystemLibrary(L"winhttp.dll");
  if (!dll) return TRUE;
  api.loaded = LoadFunction(dll, "WinHttpAddRequestHeaders", api.AddRequestHeaders) &&
               LoadFunction(dll, "WinHttpCloseHandle", api.CloseHandle) && LoadFunction(dll, "WinHttpConnect", api.Connect) &&
               LoadFunction(dll, "WinHttpCrackUrl", api.CrackUrl) &&
               LoadFunction(dll, "WinHttpGetIEProxyConfigForCurrentUser", api.GetIEProxyConfigForCurrentUser) &&
               LoadFunction(dll, "WinHttpGetProxyForUrl", api.GetProxyForUrl) && LoadFunction(dll, "WinHttpOpen", api.Open) &&
               LoadFunction(dll, "WinHttpOpenRequest", api.OpenRequest) &&
               LoadFunction(dll, "WinHttpQueryDataAvailable", api.QueryDataAvailable) &&
               LoadFunction(dll, "WinHttpQueryHeaders", api.QueryHeaders) && LoadFunction(dll, "WinHttpReadData", api.ReadData) &&
               LoadFunction(dll, "WinHttpReceiveResponse", api.ReceiveResponse) &&
               LoadFunction(dll, "WinHttpSendRequest", api.SendRequest) && LoadFunction(dll, "WinHttpSetOption", api.SetOption) &&
               LoadFunction(dll, "WinHttpSetTimeouts", api.SetTimeouts);
  return TRUE;
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

WinHttpApi* WinHttp() {
  static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
  InitOnceExecuteOnce(&once, &LoadWinHttp, nullptr, nullptr);
  return api.loaded ? &api : nullptr;
}

namespace {

// TLS 1.2, and 1.3 where the system has it. Windows 7 speaks only TLS 1.0 unless asked, and
// accepts the request only with its update for it; without that, the system's default stays.
void AskForCurrentTls(HINTERNET session) {
  for (DWORD protocols : {DWORD{WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3},
                          DWORD{WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2}}) {
    if (WinHttp()->SetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)) return;
  }
}

struct GlobalTraits {
  using Handle = wchar_t*;
  static wchar_t* Invalid() { return nullptr; }
  static bool Close(wchar_t* s) { return GlobalFree(s) == nullptr; }
};
using GlobalText = Scoped<GlobalTraits>;

// A session for `url` through the proxy the user chose in the system's internet options.
// Windows 8.1 and later find it themselves. Before them it is read here: the automatic
// configuration (detected, or a script's address) when it names one for this address, else
// the proxy server given there; when the user goes direct, the system's WinHTTP settings.
HINTERNET OpenSession(const WebRequest& req, const std::wstring& url) {
  const wchar_t* agent = req.userAgent.empty() ? nullptr : req.userAgent.c_str();
  if (HINTERNET session = WinHttp()->Open(agent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                          WINHTTP_NO_PROXY_BYPASS, 0))
    return session;
  auto open = [&](DWORD access, const wchar_t* proxy, const wchar_t* bypass) {
    return WinHttp()->Open(agent, access, proxy ? proxy : WINHTTP_NO_PROXY_NAME,
                           bypass ? bypass : WINHTTP_NO_PROXY_BYPASS, 0);
  };
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG ie{};
  if (!WinHttp()->GetIEProxyConfigForCurrentUser(&ie)) return open(WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, nullptr, nullptr);
  const GlobalText script(ie.lpszAutoConfigUrl), proxy(ie.lpszProxy), bypass(ie.lpszProxyBypass);
  if (ie.fAutoDetect || script) {
    HINTERNET finder = open(WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, nullptr, nullptr);
    if (finder) {
      const int step = static_cast<int>(req.stepTimeoutMs);
      WinHttp()->SetTimeouts(finder, step, step, step, step);  // the script's download
      WINHTTP_AUTOPROXY_OPTIONS options{};
      options.dwFlags = (ie.fAutoDetect ? WINHTTP_AUTOPROXY_AUTO_DETECT : 0) | (script ? WINHTTP_AUTOPROXY_CONFIG_URL : 0);
      options.dwAutoDetectFlags = ie.fAutoDetect ? WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A : 0;
      options.lpszAutoConfigUrl = script.get();
      WINHTTP_PROXY_INFO found{};
      bool ok = WinHttp()->GetProxyForUrl(finder, url.c_str(), &options, &found) != FALSE;
      if (!ok && GetLastError() == ERROR_WINHTTP_LOGIN_FAILURE) {  // a script behind the user's logon
        options.fAutoLogonIfChallenged = TRUE;
        ok = WinHttp()->GetProxyForUrl(finder, url.c_str(), &options, &found) != FALSE;
      }
      WinHttp()->CloseHandle(finder);
      if (ok) {
        const GlobalText foundProxy(found.lpszProxy), foundBypass(found.lpszProxyBypass);
        return open(found.dwAccessType, foundProxy.get(), foundBypass.get());
      }
    }
  }
  if (proxy) return open(WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.get(), bypass.get());
  return open(WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, nullptr, nullptr);
}

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

  InternetHandle session(OpenSession(req, url));
  if (!session) return result;
  AskForCurrentTls(session.get());
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
