#pragma once
// A scripted HTTP server on 127.0.0.1 for tests: each request gets the raw
// bytes its route returns, so a test can send any status line, header set,
// short or over-long body. It records every request it receives.

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The connection a scripted answer goes on writing to after its first bytes.
class ScriptedConnection {
 public:
  virtual ~ScriptedConnection() = default;
  // False once the client is gone.
  virtual bool Send(const std::string& bytes) = 0;
  // True as soon as the client closes (or resets) the connection, false
  // when it is still open after `ms`.
  virtual bool ClosedWithin(int ms) = 0;
};

struct ScriptedResponse {
  ScriptedResponse(std::string rawBytes = std::string(), int pause = 0) : raw(std::move(rawBytes)), pauseMs(pause) {}
  std::string raw;       // status line, headers and body, exactly as sent
  int pauseMs = 0;       // wait this long before sending the second half
  // Runs after `raw` is sent: stalls, trickles or sends on, as long as it likes.
  std::function<void(ScriptedConnection&)> then;
};

class LoopbackHttpServer {
 public:
  using Route = std::function<ScriptedResponse(const std::string& request)>;

  LoopbackHttpServer();
  ~LoopbackHttpServer();

  // The base URL, e.g. "http://127.0.0.1:40123".
  std::string BaseUrl() const;
  int Port() const { return m_port; }

  // Requests whose path (as sent in the request line) equals `path`.
  void Serve(const std::string& path, Route route);
  void Serve(const std::string& path, const std::string& raw);

  std::vector<std::string> RequestPaths() const;
  std::vector<std::string> RequestTexts() const;
  size_t RequestCount() const;

  // A port on 127.0.0.1 that nothing listens on.
  static int UnusedPort();

 private:
  void AcceptLoop();
  void HandleConnection(intptr_t socket);

  intptr_t m_listener = -1;
  int m_port = 0;
  std::atomic<bool> m_stopping{false};
  std::thread m_thread;
  mutable std::mutex m_mutex;
  std::map<std::string, Route> m_routes;
  std::vector<std::string> m_requests;
  std::vector<std::thread> m_workers;
};

// Raw response helpers.
std::string HttpResponse(const std::string& statusLine, const std::string& body,
                         const std::string& extraHeaders = "", bool withLength = true);
