// A small HTTP server on 127.0.0.1 inside the test process (Winsock), so the online tests
// need nothing outside themselves. Each connection gets one answer chosen by the test.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tavik::test {

struct HttpRequestSeen {
  std::string method;
  std::string target;  // path and query as sent
  std::string head;    // the request line and headers as received
  std::string body;
  // The value of a header (name in any case), "" when absent.
  std::string Header(const std::string& name) const;
};

struct HttpAnswer {
  // Stream: streamBytes of zeros, announced as the length unless announceLength is false.
  enum class Kind { Whole, Hang, BrokenOff, Stream };
  HttpAnswer(Kind k = Kind::Whole, int s = 200, std::string b = {}) : kind(k), status(s), body(std::move(b)) {}
  Kind kind;
  int status;
  std::string body;
  std::string headers;  // extra header lines, each ended by CR LF ("Location: ...\r\n")
  std::uint64_t streamBytes = 0;
  bool announceLength = true;
};

class LoopbackServer {
 public:
  explicit LoopbackServer(std::function<HttpAnswer(const HttpRequestSeen&)> route);
  ~LoopbackServer();  // ends hanging answers, waits for every connection
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int port() const { return port_; }
  std::u16string Url(const std::string& pathAndQuery) const;  // "http://127.0.0.1:PORT" + path
  std::vector<HttpRequestSeen> Requests() const;

 private:
  void Serve(SOCKET client);

  std::function<HttpAnswer(const HttpRequestSeen&)> route_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  mutable std::mutex mutex_;
  std::vector<std::thread> connections_;
  std::vector<SOCKET> open_;
  std::vector<HttpRequestSeen> requests_;
};

}  // namespace tavik::test
