// WinINet behind CdnClient. A request is opened in steps (InternetConnect,
// HttpOpenRequest, HttpSendRequest) rather than with InternetOpenUrl, so
// that its time-outs are set on it before it is sent: the connection that
// Wine's InternetOpenUrl makes gets no receive time-out from anywhere.
#include "CdnClient.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// Sessions and requests are closed through the same call, as in WinINet.
struct WinInetHandle {
  virtual ~WinInetHandle() = default;
};

struct Session : WinInetHandle {
  HINTERNET internet = nullptr;
};

// A request and the connection handle it was opened on. Its time limit is
// kept by a timer that closes the request when the time is up: closing a
// handle is WinINet's way to end a call blocked on it in another thread.
// Wine's WinINet lets such a call run on to its next bytes or its receive
// time-out, so each read checks the time as well.
struct Request : WinInetHandle {
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;  // null once the timer has closed it
  HANDLE timer = nullptr;
  Clock::time_point deadline;
  std::mutex lock;
  bool expired = false;

  // The request handle while there is time left, otherwise null. A call
  // may still be handed a handle that the timer closes a moment later;
  // WinINet then fails it, as for a call already under way.
  HINTERNET Usable() {
    std::lock_guard<std::mutex> hold(lock);
    if (Clock::now() >= deadline) expired = true;
    return expired ? nullptr : request;
  }
};

void CALLBACK OnTimeUp(void* context, BOOLEAN) {
  Request* request = static_cast<Request*>(context);
  std::lock_guard<std::mutex> hold(request->lock);
  request->expired = true;
  if (request->request != nullptr) {
    InternetCloseHandle(request->request);
    request->request = nullptr;
  }
}

void CloseRequest(Request* request) {
  // Waits for a timer call under way, so nothing touches the request after.
  if (request->timer != nullptr) DeleteTimerQueueTimer(nullptr, request->timer, INVALID_HANDLE_VALUE);
  if (request->request != nullptr) InternetCloseHandle(request->request);
  if (request->connection != nullptr) InternetCloseHandle(request->connection);
  delete request;
}

// "http://host[:port]/path…" split into its parts; the path (with any
// query) stays byte for byte as given.
struct UrlParts {
  bool secure = false;
  std::string host;
  INTERNET_PORT port = 0;
  std::string object;
};

bool SplitUrl(const std::string& url, UrlParts* parts) {
  size_t hostAt;
  if (url.compare(0, 7, "http://") == 0) {
    hostAt = 7;
  } else if (url.compare(0, 8, "https://") == 0) {
    hostAt = 8;
    parts->secure = true;
  } else {
    return false;
  }
  size_t pathAt = url.find('/', hostAt);
  if (pathAt == std::string::npos) return false;
  std::string authority = url.substr(hostAt, pathAt - hostAt);
  size_t bracket = authority.rfind(']');
  size_t colon = authority.rfind(':');
  parts->port = parts->secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
  if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket)) {
    int port = std::atoi(authority.c_str() + colon + 1);
    if (port <= 0 || port > 65535) return false;
    parts->port = static_cast<INTERNET_PORT>(port);
    authority.erase(colon);
  }
  if (authority.size() >= 2 && authority.front() == '[' && authority.back() == ']') {
    authority = authority.substr(1, authority.size() - 2);
  }
  if (authority.empty()) return false;
  parts->host = authority;
  parts->object = url.substr(pathAt);
  return true;
}

class WinInetCdnClient : public CdnClient {
 public:
  explicit WinInetCdnClient(const CdnClientOptions& options) : m_options(options) {}

  bool GetConnectedState(uint32_t* flags) override {
    DWORD state = 0;
    BOOL connected = InternetGetConnectedState(&state, 0);
    if (m_options.workOffline) state |= kConnectionOffline;
    *flags = state;
    return connected != FALSE;
  }

  Handle OpenSession(const char* agent, uint32_t accessType) override {
    HINTERNET internet = InternetOpenA(agent, accessType, nullptr, nullptr, 0);
    if (internet == nullptr) return nullptr;
    Session* session = new Session;
    session->internet = internet;
    return static_cast<WinInetHandle*>(session);
  }

  Handle OpenUrl(Handle sessionHandle, const char* url, const char* headers, uint32_t headersLength,
                 uint32_t flags) override {
    Session* session = dynamic_cast<Session*>(static_cast<WinInetHandle*>(sessionHandle));
    UrlParts parts;
    if (session == nullptr || url == nullptr || !SplitUrl(url, &parts)) return nullptr;
    Request* request = new Request;
    request->deadline = Clock::now() + std::chrono::milliseconds(m_options.downloadTimeoutMs);
    request->connection = InternetConnectA(session->internet, parts.host.c_str(), parts.port, nullptr, nullptr,
                                           INTERNET_SERVICE_HTTP, 0, 0);
    if (request->connection != nullptr) {
      DWORD requestFlags = flags | (parts.secure ? INTERNET_FLAG_SECURE : 0);
      request->request = HttpOpenRequestA(request->connection, "GET", parts.object.c_str(), nullptr, nullptr,
                                          nullptr, requestFlags, 0);
    }
    if (request->request == nullptr) {
      CloseRequest(request);
      return nullptr;
    }
    DWORD connect = m_options.connectTimeoutMs;
    DWORD receive = m_options.receiveTimeoutMs;
    InternetSetOptionA(request->request, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionA(request->request, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof receive);
    InternetSetOptionA(request->request, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
    CreateTimerQueueTimer(&request->timer, nullptr, OnTimeUp, request, m_options.downloadTimeoutMs, 0,
                          WT_EXECUTEONLYONCE);
    HINTERNET usable = request->Usable();
    if (usable == nullptr || !HttpSendRequestA(usable, headers, headersLength, nullptr, 0)) {
      CloseRequest(request);
      return nullptr;
    }
    return static_cast<WinInetHandle*>(request);
  }

  bool QueryNumber(Handle handle, uint32_t query, uint32_t* value) override {
    HINTERNET request = UsableRequest(handle);
    if (request == nullptr) return false;
    DWORD number = 0;
    DWORD length = sizeof number;
    if (!HttpQueryInfoA(request, query, &number, &length, nullptr)) return false;
    *value = number;
    return true;
  }

  bool QueryText(Handle handle, uint32_t query, char* text, uint32_t* length) override {
    HINTERNET request = UsableRequest(handle);
    if (request == nullptr) return false;
    DWORD size = *length;
    BOOL ok = HttpQueryInfoA(request, query, text, &size, nullptr);
    *length = size;
    return ok != FALSE;
  }

  bool Read(Handle handle, void* buffer, uint32_t size, uint32_t* read) override {
    *read = 0;
    HINTERNET request = UsableRequest(handle);
    if (request == nullptr) return false;
    // Only what has arrived: a read of a whole area waits until the area is
    // full, so bytes trickling in would keep it (and the time check) away
    // for as long as they trickle.
    DWORD available = 0;
    if (!InternetQueryDataAvailable(request, &available, 0, 0)) return false;
    DWORD wanted = available == 0 ? size : std::min<DWORD>(available, size);
    DWORD count = 0;
    BOOL ok = InternetReadFile(request, buffer, wanted, &count);
    *read = count;
    return ok != FALSE && UsableRequest(handle) != nullptr;
  }

  void Close(Handle handle) override {
    WinInetHandle* object = static_cast<WinInetHandle*>(handle);
    if (Request* request = dynamic_cast<Request*>(object)) {
      CloseRequest(request);
    } else if (Session* session = dynamic_cast<Session*>(object)) {
      InternetCloseHandle(session->internet);
      delete session;
    }
  }

 private:
  static HINTERNET UsableRequest(Handle handle) {
    Request* request = dynamic_cast<Request*>(static_cast<WinInetHandle*>(handle));
    return request != nullptr ? request->Usable() : nullptr;
  }

  CdnClientOptions m_options;
};

}  // namespace

std::shared_ptr<CdnClient> CreatePlatformCdnClient(const CdnClientOptions& options) {
  return std::make_shared<WinInetCdnClient>(options);
}

uint32_t TickCount32() { return GetTickCount(); }
