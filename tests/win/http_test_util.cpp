#include "tests/win/http_test_util.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cctype>
#include <chrono>

namespace tavik::test {
namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

void SendAll(SOCKET s, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const int n = send(s, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
    if (n <= 0) return;
    sent += static_cast<std::size_t>(n);
  }
}

}  // namespace

std::string HttpRequestSeen::Header(const std::string& name) const {
  const std::string want = Lower(name) + ":";
  std::size_t pos = head.find("\r\n");
  while (pos != std::string::npos) {
    const std::size_t start = pos + 2;
    const std::size_t end = head.find("\r\n", start);
    const std::string line = head.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (Lower(line.substr(0, want.size())) == want) {
      std::string value = line.substr(want.size());
      value.erase(0, value.find_first_not_of(' '));
      return value;
    }
    pos = end;
  }
  return {};
}

LoopbackServer::LoopbackServer(std::function<HttpAnswer(const HttpRequestSeen&)> route) : route_(std::move(route)) {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  listen(listener_, 16);
  int len = sizeof addr;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  acceptor_ = std::thread([this] {
    for (;;) {
      const SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET || stopping_) {
        if (client != INVALID_SOCKET) closesocket(client);
        return;
      }
      std::lock_guard<std::mutex> lock(mutex_);
      open_.push_back(client);
      connections_.emplace_back([this, client] { Serve(client); });
    }
  });
}

LoopbackServer::~LoopbackServer() {
  stopping_ = true;
  closesocket(listener_);
  acceptor_.join();
  std::vector<std::thread> connections;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (SOCKET s : open_) shutdown(s, SD_BOTH);  // wakes any answer that waits
    connections.swap(connections_);
  }
  for (auto& t : connections) t.join();
  WSACleanup();
}

std::u16string LoopbackServer::Url(const std::string& pathAndQuery) const {
  const std::string url = "http://127.0.0.1:" + std::to_string(port_) + pathAndQuery;
  return std::u16string(url.begin(), url.end());
}

std::vector<HttpRequestSeen> LoopbackServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void LoopbackServer::Serve(SOCKET client) {
  std::string data;
  char buffer[4096];
  std::size_t headEnd;
  while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
    const int n = recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) {
      closesocket(client);
      return;
    }
    data.append(buffer, static_cast<std::size_t>(n));
  }
  HttpRequestSeen seen;
  seen.head = data.substr(0, headEnd);
  const std::size_t sp1 = seen.head.find(' ');
  const std::size_t sp2 = seen.head.find(' ', sp1 + 1);
  seen.method = seen.head.substr(0, sp1);
  seen.target = seen.head.substr(sp1 + 1, sp2 - sp1 - 1);
  const std::size_t length = static_cast<std::size_t>(std::atoi(seen.Header("Content-Length").c_str()));
  seen.body = data.substr(headEnd + 4);
  while (seen.body.size() < length) {
    const int n = recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    seen.body.append(buffer, static_cast<std::size_t>(n));
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(seen);
  }
  const HttpAnswer answer = route_(seen);
  if (answer.kind == HttpAnswer::Kind::Hang) {
    while (!stopping_ && recv(client, buffer, sizeof buffer, 0) > 0) {
    }
    closesocket(client);
    return;
  }
  const bool stream = answer.kind == HttpAnswer::Kind::Stream;
  std::string reply = "HTTP/1.1 " + std::to_string(answer.status) + " X\r\nContent-Type: application/octet-stream\r\n" +
                      answer.headers + "Connection: close\r\n";
  if (!stream || answer.announceLength)
    reply += "Content-Length: " + std::to_string(stream ? answer.streamBytes : answer.body.size()) + "\r\n";
  reply += "\r\n";
  reply += answer.kind == HttpAnswer::Kind::BrokenOff ? answer.body.substr(0, answer.body.size() / 2) : answer.body;
  SendAll(client, reply);
  if (stream) {
    const std::string zeros(64 * 1024, '\0');
    for (std::uint64_t left = answer.streamBytes; left > 0 && !stopping_;) {
      const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, zeros.size()));
      if (send(client, zeros.data(), static_cast<int>(n), 0) <= 0) break;  // the client gave up
      left -= n;
    }
  }
  shutdown(client, SD_SEND);
  while (recv(client, buffer, sizeof buffer, 0) > 0) {
  }
  closesocket(client);
}

}  // namespace tavik::test
