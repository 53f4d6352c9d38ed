// What a web request asks of WinHTTP: the TLS versions, and the proxy the user chose for the
// system. The user's settings are stood for by a wrapper of WinHTTP's own reader of them; the
// requests themselves go through the real WinHTTP, to a server inside the test that also
// plays the proxy.
#include "core/web_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/winhttp_api.h"
#include "tests/win/http_test_util.h"

namespace tavik {
namespace {

using test::HttpAnswer;

// What the wrappers saw, and how they stand for the system (one request at a time).
struct Seam {
  WinHttpApi real{};
  bool refuseAutomatic = false;  // a system before Windows 8.1
  DWORD refusedProtocols = 0;    // a request naming any of these is refused
  // The user's settings in the system's internet options; empty: not set.
  std::wstring autoConfigUrl, proxy, bypass;

  std::vector<DWORD> accessTypes;
  std::vector<DWORD> protocolsAsked;
  int settingsRead = 0;
  std::vector<std::wstring> proxiesNamed;  // to the sessions
};
Seam seam;

// A fresh seam over the real functions.
void ResetSeam() {
  const WinHttpApi real = seam.real;
  seam = Seam{};
  seam.real = real;
}

HINTERNET WINAPI Open(LPCWSTR agent, DWORD type, LPCWSTR proxy, LPCWSTR bypass, DWORD flags) {
  seam.accessTypes.push_back(type);
  if (type == WINHTTP_ACCESS_TYPE_NAMED_PROXY) seam.proxiesNamed.push_back(proxy ? proxy : L"");
  if (type == WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY && seam.refuseAutomatic) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return seam.real.Open(agent, type, proxy, bypass, flags);
}

BOOL WINAPI SetOption(HINTERNET h, DWORD option, LPVOID value, DWORD size) {
  if (option == WINHTTP_OPTION_SECURE_PROTOCOLS) {
    const DWORD protocols = *static_cast<DWORD*>(value);
    seam.protocolsAsked.push_back(protocols);
    if (protocols & seam.refusedProtocols) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  }
  return seam.real.SetOption(h, option, value, size);
}

wchar_t* GlobalCopy(const std::wstring& s) {
  if (s.empty()) return nullptr;
  auto* copy = static_cast<wchar_t*>(GlobalAlloc(GMEM_FIXED, (s.size() + 1) * sizeof(wchar_t)));
  s.copy(copy, s.size());
  copy[s.size()] = L'\0';
  return copy;
}

BOOL WINAPI ReadSettings(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG* config) {
  ++seam.settingsRead;
  config->fAutoDetect = FALSE;  // detection asks the network, which a test does not own
  config->lpszAutoConfigUrl = GlobalCopy(seam.autoConfigUrl);
  config->lpszProxy = GlobalCopy(seam.proxy);
  config->lpszProxyBypass = GlobalCopy(seam.bypass);
  return TRUE;
}

class WebRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WinHttpApi* api = WinHttp();
    ASSERT_NE(api, nullptr);
    seam = Seam{};
    seam.real = *api;
    api->Open = &Open;
    api->SetOption = &SetOption;
    api->GetIEProxyConfigForCurrentUser = &ReadSettings;
  }
  void TearDown() override { *WinHttp() = seam.real; }

  WebResult Get(const std::wstring& url, std::string* body = nullptr) {
    WebRequest request;
    request.url = url;
    request.stepTimeoutMs = 3000;
    const std::atomic<bool> never{false};
    return RunWebRequest(request, never, [&](std::string_view bytes) {
      if (body) body->append(bytes);
      return true;
    });
  }
  std::wstring Local(const std::string& path) const {
    return L"http://127.0.0.1:" + std::to_wstring(server_.port()) + std::wstring(path.begin(), path.end());
  }
  std::vector<std::string> Targets() const {
    std::vector<std::string> targets;
    for (const auto& r : server_.Requests()) targets.push_back(r.target);
    return targets;
  }

  std::string pac_;
  test::LoopbackServer server_{[this](const test::HttpRequestSeen& r) {
    if (r.target == "/proxy.pac") return HttpAnswer{HttpAnswer::Kind::Whole, 200, pac_};
    if (r.target == "/direct.pac")
      return HttpAnswer{HttpAnswer::Kind::Whole, 200, "function FindProxyForURL(url, host) { return \"DIRECT\"; }"};
    if (r.target.find("/doc") != std::string::npos) return HttpAnswer{HttpAnswer::Kind::Whole, 200, "document"};
    return HttpAnswer{HttpAnswer::Kind::Whole, 404, ""};
  }};
};

TEST_F(WebRequestTest, AsksForTls12AndNewerAndSettlesForWhatTheSystemHas) {
  constexpr DWORD kTls12 = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2, kTls13 = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
  const struct {
    const char* name;
    DWORD refused;
    std::vector<DWORD> asked;
  } rows[] = {
      {"a system with TLS 1.3", 0, {kTls12 | kTls13}},
      {"a system up to TLS 1.2", kTls13, {kTls12 | kTls13, kTls12}},
      {"Windows 7 without its update", kTls12 | kTls13, {kTls12 | kTls13, kTls12}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    seam.protocolsAsked.clear();
    seam.refusedProtocols = row.refused;
    std::string body;
    const WebResult result = Get(Local("/doc"), &body);
    EXPECT_EQ(seam.protocolsAsked, row.asked);
    EXPECT_TRUE(result.answered && result.complete);  // whatever the answer, the request goes on
    EXPECT_EQ(body, "document");
  }
}

TEST_F(WebRequestTest, TheSystemFindsTheProxyItselfWhereItCan) {
  seam.proxy = L"127.0.0.1:1";  // would lead nowhere if it were set by the program as well
  Get(Local("/doc"));
  ASSERT_FALSE(seam.accessTypes.empty());
  EXPECT_EQ(seam.accessTypes[0], static_cast<DWORD>(WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY));
  if (seam.accessTypes.size() == 1) {  // the system took the automatic proxy: nothing set on top
    EXPECT_EQ(seam.settingsRead, 0);
    EXPECT_TRUE(seam.proxiesNamed.empty());
  }
}

TEST_F(WebRequestTest, BeforeWindows81TheProxyTheUserSetForTheSystemIsUsed) {
  const std::wstring self = L"127.0.0.1:" + std::to_wstring(server_.port());
  pac_ = "function FindProxyForURL(url, host) { return \"PROXY " + std::string(self.begin(), self.end()) + "\"; }";
  const struct {
    const char* name;
    std::wstring autoConfigUrl, proxy;
  } rows[] = {
      {"a proxy server", L"", self},
      {"an automatic configuration script", Local("/proxy.pac"), L""},
      {"a script that is not there, and a proxy server", Local("/missing.pac"), self},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ResetSeam();
    seam.refuseAutomatic = true;
    seam.autoConfigUrl = row.autoConfigUrl;
    seam.proxy = row.proxy;
    const std::size_t before = server_.Requests().size();
    std::string body;
    const WebResult result = Get(L"http://update.example/doc", &body);
    EXPECT_EQ(seam.settingsRead, 1);
    std::vector<std::string> targets = Targets();
    targets.erase(targets.begin(), targets.begin() + static_cast<std::ptrdiff_t>(before));
    ASSERT_FALSE(targets.empty());
    // The server, as the proxy, was asked for the whole address (the port may be spelt out).
    EXPECT_EQ(targets.back().rfind("http://update.example", 0), 0u) << targets.back();
    EXPECT_EQ(result.status, 200u);
    EXPECT_EQ(body, "document");
  }

  // No proxy chosen, or a script that says to go direct before a proxy server that leads
  // nowhere: straight to the site.
  for (const std::wstring& script : {std::wstring(), Local("/direct.pac")}) {
    ResetSeam();
    seam.refuseAutomatic = true;
    seam.autoConfigUrl = script;
    if (!script.empty()) seam.proxy = L"127.0.0.1:1";
    std::string body;
    EXPECT_EQ(Get(Local("/doc"), &body).status, 200u);
    EXPECT_EQ(Targets().back(), "/doc");
    EXPECT_EQ(body, "document");
    EXPECT_TRUE(seam.proxiesNamed.empty());
  }
}

}  // namespace
}  // namespace tavik
