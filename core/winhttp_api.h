// The WinHTTP functions the web requests call, loaded at the first request (most of the
// program's run never asks the web for anything). Tests put wrappers in place of some of
// them to see what is asked of WinHTTP, or to stand for the user's proxy settings.
#pragma once

#include <windows.h>
#include <winhttp.h>

namespace tavik {

struct WinHttpApi {
  bool loaded;
  decltype(&::WinHttpAddRequestHeaders) AddRequestHeaders;
  decltype(&::WinHttpCloseHandle) CloseHandle;
  decltype(&::WinHttpConnect) Connect;
  decltype(&::WinHttpCrackUrl) CrackUrl;
  decltype(&::WinHttpGetIEProxyConfigForCurrentUser) GetIEProxyConfigForCurrentUser;
  decltype(&::WinHttpGetProxyForUrl) GetProxyForUrl;
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

// The functions, loaded; null when WinHTTP is not there. Replacing one is for tests, while
// no request runs.
WinHttpApi* WinHttp();

}  // namespace tavik
