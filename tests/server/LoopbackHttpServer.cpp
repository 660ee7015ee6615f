#include "LoopbackHttpServer.h"

#include <chrono>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using socklen_t = int;
#define CLOSESOCKET closesocket
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#define CLOSESOCKET close
#endif

namespace {

#ifdef _WIN32
struct WinsockStartup {
  WinsockStartup() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
};
WinsockStartup g_winsock;
#endif

intptr_t ListenOnLoopback(int* port) {
  intptr_t listener = static_cast<intptr_t>(socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(listener, 128);
  socklen_t length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  *port = ntohs(address.sin_port);
  return listener;
}

#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL;  // a client gone is an error, not SIGPIPE
#else
constexpr int kSendFlags = 0;
#endif

bool SendAll(intptr_t socket, const char* data, size_t length) {
  while (length > 0) {
    int sent = send(socket, data, static_cast<int>(length), kSendFlags);
    if (sent <= 0) return false;
    data += sent;
    length -= static_cast<size_t>(sent);
  }
  return true;
}

class SocketConnection : public ScriptedConnection {
 public:
  explicit SocketConnection(intptr_t socket) : m_socket(socket) {}
  bool Send(const std::string& bytes) override { return SendAll(m_socket, bytes.data(), bytes.size()); }
  bool ClosedWithin(int ms) override {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(m_socket, &readable);
      timeval wait{static_cast<long>(left.count() / 1000), static_cast<long>(left.count() % 1000) * 1000};
      int ready = select(static_cast<int>(m_socket) + 1, &readable, nullptr, nullptr, &wait);
      if (ready < 0) return true;
      if (ready == 0) continue;
      char buffer[4096];
      if (recv(m_socket, buffer, sizeof buffer, 0) <= 0) return true;  // anything else it sends is dropped
    }
  }

 private:
  intptr_t m_socket;
};

}  // namespace

std::string HttpResponse(const std::string& statusLine, const std::string& body, const std::string& extraHeaders,
                         bool withLength) {
  std::string raw = "HTTP/1.1 " + statusLine + "\r\n";
  if (withLength) raw += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  raw += extraHeaders + "Connection: close\r\n\r\n" + body;
  return raw;
}

LoopbackHttpServer::LoopbackHttpServer() {
  m_listener = ListenOnLoopback(&m_port);
  m_thread = std::thread([this] { AcceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
  m_stopping = true;
  // Wake the accept loop with a connection of our own.
  intptr_t waker = static_cast<intptr_t>(socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(m_port));
  connect(waker, reinterpret_cast<sockaddr*>(&address), sizeof address);
  CLOSESOCKET(waker);
  m_thread.join();
  CLOSESOCKET(m_listener);
  for (std::thread& worker : m_workers) worker.join();
}

std::string LoopbackHttpServer::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port); }

void LoopbackHttpServer::Serve(const std::string& path, Route route) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_routes[path] = std::move(route);
}

void LoopbackHttpServer::Serve(const std::string& path, const std::string& raw) {
  Serve(path, [raw](const std::string&) { return ScriptedResponse{raw}; });
}

std::vector<std::string> LoopbackHttpServer::RequestTexts() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_requests;
}

std::vector<std::string> LoopbackHttpServer::RequestPaths() const {
  std::vector<std::string> paths;
  for (const std::string& text : RequestTexts()) {
    size_t start = text.find(' ') + 1;
    paths.push_back(text.substr(start, text.find(' ', start) - start));
  }
  return paths;
}

size_t LoopbackHttpServer::RequestCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_requests.size();
}

int LoopbackHttpServer::UnusedPort() {
  int port = 0;
  intptr_t listener = ListenOnLoopback(&port);
  CLOSESOCKET(listener);
  return port;
}

void LoopbackHttpServer::AcceptLoop() {
  for (;;) {
    intptr_t connection = static_cast<intptr_t>(accept(m_listener, nullptr, nullptr));
    if (m_stopping) {
      CLOSESOCKET(connection);
      return;
    }
    if (connection < 0) continue;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_workers.emplace_back([this, connection] { HandleConnection(connection); });
  }
}

void LoopbackHttpServer::HandleConnection(intptr_t connection) {
  // A client that never finishes must not hold the test up for long.
#ifdef _WIN32
  DWORD timeout = 5000;
#else
  timeval timeout{5, 0};
#endif
  setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < (1 << 20)) {
    int got = recv(connection, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    request.append(buffer, static_cast<size_t>(got));
  }
  size_t start = request.find(' ') + 1;
  std::string path = request.substr(start, request.find(' ', start) - start);
  Route handler;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.push_back(request);
    auto route = m_routes.find(path);
    if (route != m_routes.end()) handler = route->second;
  }
  ScriptedResponse response = handler ? handler(request) : ScriptedResponse{HttpResponse("404 Not Found", "no route")};
  size_t half = response.pauseMs > 0 ? response.raw.size() / 2 : response.raw.size();
  SendAll(connection, response.raw.data(), half);
  if (half < response.raw.size()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(response.pauseMs));
    SendAll(connection, response.raw.data() + half, response.raw.size() - half);
  }
  if (response.then) {
    SocketConnection rest(connection);
    response.then(rest);
  }
#ifdef _WIN32
  shutdown(connection, SD_SEND);
#else
  shutdown(connection, SHUT_WR);
#endif
  // Let the client read everything before the socket goes away.
  while (recv(connection, buffer, sizeof buffer, 0) > 0) {
  }
  CLOSESOCKET(connection);
}
