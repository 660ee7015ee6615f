// libcurl behind CdnClient, for systems without WinINet. A request runs on
// a curl multi handle that is pumped only as far as the caller reads, so the
// body streams in pieces just as InternetReadFile hands it out.
#include "CdnClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {

constexpr size_t kPauseAbove = 256 << 10;  // stop curl when this much is unread

// Sessions and requests are closed through the same call, as in WinINet.
struct CurlHandle {
  virtual ~CurlHandle() = default;
};

struct Session : CurlHandle {
  explicit Session(std::string agentName) : agent(std::move(agentName)) {}
  std::string agent;
};

// The unread-bytes store of the last request this thread closed: a new
// request takes it over rather than faulting in fresh memory.
thread_local std::string t_spareStore;

struct Request : CurlHandle {
  Request() { pending.swap(t_spareStore); }
  ~Request() override {
    pending.clear();
    if (pending.capacity() <= 2 * kPauseAbove) t_spareStore.swap(pending);
    if (multi != nullptr) {
      if (easy != nullptr) curl_multi_remove_handle(multi, easy);
      curl_multi_cleanup(multi);
    }
    if (easy != nullptr) curl_easy_cleanup(easy);
    curl_slist_free_all(headers);
  }
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  curl_slist* headers = nullptr;
  std::string pending;  // received body bytes not yet read
  size_t pendingOffset = 0;
  // The reader's area while it waits in Read: body bytes go straight there
  // and only what does not fit waits in `pending`.
  char* target = nullptr;
  size_t targetRoom = 0;
  size_t targetFilled = 0;
  bool paused = false;
  bool done = false;
  // WinINet's receive time-out: the longest wait for the next bytes once
  // the connection stands (libcurl has no such limit of its own).
  std::chrono::milliseconds receiveTimeout{30000};
  std::chrono::steady_clock::time_point lastData = std::chrono::steady_clock::now();
  // The end of the whole request's time, however steadily bytes arrive.
  std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
  CURLcode result = CURLE_OK;
  // Headers of the latest response (one, unless redirects are followed).
  long status = 0;
  std::string reason;
  bool hasContentLength = false;
  uint64_t contentLength = 0;
};

bool StartsWithNoCase(const char* text, size_t length, const char* prefix) {
  size_t n = std::strlen(prefix);
  if (length < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

std::string TrimLine(const char* text, size_t length) {
  std::string line(text, length);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return line;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  Request* request = static_cast<Request*>(user);
  size_t length = size * count;
  request->lastData = std::chrono::steady_clock::now();
  if (StartsWithNoCase(data, length, "http/")) {
    // A new response starts: forget the headers of the one before.
    std::string line = TrimLine(data, length);
    request->status = 0;
    request->reason.clear();
    request->hasContentLength = false;
    size_t codeAt = line.find(' ');
    if (codeAt != std::string::npos) {
      request->status = std::strtol(line.c_str() + codeAt + 1, nullptr, 10);
      size_t reasonAt = line.find(' ', codeAt + 1);
      if (reasonAt != std::string::npos) request->reason = line.substr(reasonAt + 1);
    }
  } else if (StartsWithNoCase(data, length, "content-length:")) {
    std::string value = TrimLine(data + 15, length - 15);
    size_t digits = value.find_first_not_of(" \t");
    if (digits != std::string::npos && value[digits] >= '0' && value[digits] <= '9') {
      request->contentLength = std::strtoull(value.c_str() + digits, nullptr, 10);
      request->hasContentLength = request->contentLength <= UINT32_MAX;
    }
  }
  return length;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  Request* request = static_cast<Request*>(user);
  request->lastData = std::chrono::steady_clock::now();
  if (request->pending.size() - request->pendingOffset > kPauseAbove) {
    request->paused = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  if (request->pendingOffset == request->pending.size()) {
    request->pending.clear();
    request->pendingOffset = 0;
    size_t direct = std::min(size * count, request->targetRoom - request->targetFilled);
    if (request->target != nullptr && direct > 0) {
      std::memcpy(request->target + request->targetFilled, data, direct);
      request->targetFilled += direct;
      request->pending.append(data + direct, size * count - direct);
      return size * count;
    }
  }
  request->pending.append(data, size * count);
  return size * count;
}

bool HasBytes(const Request* request) {
  return request->targetFilled > 0 || request->pendingOffset < request->pending.size();
}

bool TimeIsUp(Request* request) {
  if (std::chrono::steady_clock::now() < request->deadline) return false;
  request->done = true;
  request->result = CURLE_OPERATION_TIMEDOUT;
  return true;
}

// Lets curl work until body bytes are waiting or the transfer has ended.
void Pump(Request* request) {
  while (!request->done && !HasBytes(request)) {
    if (request->paused) {
      request->paused = false;
      curl_easy_pause(request->easy, CURLPAUSE_CONT);
    }
    int running = 0;
    curl_multi_perform(request->multi, &running);
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(request->multi, &left)) {
      if (message->msg == CURLMSG_DONE) {
        request->done = true;
        request->result = message->data.result;
      }
    }
    if (request->done || HasBytes(request)) break;
    auto now = std::chrono::steady_clock::now();
    curl_off_t connected = 0;
    curl_easy_getinfo(request->easy, CURLINFO_CONNECT_TIME_T, &connected);
    if (connected == 0) request->lastData = now;  // the connect time-out governs until then
    auto silent = std::chrono::duration_cast<std::chrono::milliseconds>(now - request->lastData);
    if (silent >= request->receiveTimeout || TimeIsUp(request)) {
      request->done = true;
      request->result = CURLE_OPERATION_TIMEDOUT;
      break;
    }
    auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(request->deadline - now);
    int wait = static_cast<int>(
        std::min<int64_t>({1000, (request->receiveTimeout - silent).count(), remaining.count() + 1}));
    curl_multi_poll(request->multi, nullptr, 0, wait, nullptr);
  }
}

// "Name: value\r\nName: value\r\n\r\n" becomes one list entry per line.
curl_slist* HeaderList(const char* headers, uint32_t length) {
  curl_slist* list = nullptr;
  std::string text(headers, length);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (end > start) list = curl_slist_append(list, text.substr(start, end - start).c_str());
    start = end + 2;
  }
  return list;
}

class CurlCdnClient : public CdnClient {
 public:
  explicit CurlCdnClient(const CdnClientOptions& options) : m_options(options) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  }

  bool GetConnectedState(uint32_t* flags) override {
    *flags = m_options.workOffline ? kConnectionOffline : 0;
    return !m_options.workOffline;
  }

  Handle OpenSession(const char* agent, uint32_t) override {
    // libcurl takes its proxy from the environment either way.
    return static_cast<CurlHandle*>(new Session(agent != nullptr ? agent : ""));
  }

  Handle OpenUrl(Handle sessionHandle, const char* url, const char* headers,
                 uint32_t headersLength, uint32_t flags) override {
    Session* session = dynamic_cast<Session*>(static_cast<CurlHandle*>(sessionHandle));
    if (session == nullptr || url == nullptr) return nullptr;
    Request* request = new Request;
    request->easy = curl_easy_init();
    request->multi = curl_multi_init();
    if (request->easy == nullptr || request->multi == nullptr) {
      delete request;
      return nullptr;
    }
    request->headers = HeaderList(headers != nullptr ? headers : "", headersLength);
    if (flags & 0x00000100) request->headers = curl_slist_append(request->headers, "Pragma: no-cache");
    if (flags & 0x80000000) request->headers = curl_slist_append(request->headers, "Cache-Control: no-cache");
    // WinINet hands over every body byte the CDN sends, so a body longer
    // than its Content-Length shows as one. libcurl would stop at the
    // length: it reads to the end of the connection instead, which the CDN
    // closes after this one answer.
    request->headers = curl_slist_append(request->headers, "Connection: close");
    CURL* easy = request->easy;
    curl_easy_setopt(easy, CURLOPT_URL, url);
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);  // the path as given, dot segments unfolded
    curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    // WinINet's connect time-out; its receive time-out is kept by Pump.
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_options.connectTimeoutMs));
    request->receiveTimeout = std::chrono::milliseconds(m_options.receiveTimeoutMs);
    request->deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_options.downloadTimeoutMs);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, session->agent.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, request->headers);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, (flags & kNoAutoRedirect) ? 0L : 1L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, request);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, request);
    curl_multi_add_handle(request->multi, easy);
    Pump(request);
    if (request->status == 0) {
      // No response at all (refused, reset before the headers, bad URL).
      delete request;
      return nullptr;
    }
    return static_cast<CurlHandle*>(request);
  }

  bool QueryNumber(Handle handle, uint32_t query, uint32_t* value) override {
    Request* request = AsRequest(handle);
    if (request == nullptr) return false;
    if (query == kQueryStatusCode) {
      *value = static_cast<uint32_t>(request->status);
      return true;
    }
    if (query == kQueryContentLength && request->hasContentLength) {
      *value = static_cast<uint32_t>(request->contentLength);
      return true;
    }
    return false;
  }

  bool QueryText(Handle handle, uint32_t query, char* text, uint32_t* length) override {
    Request* request = AsRequest(handle);
    if (request == nullptr) return false;
    if (query != kQueryStatusText) return false;
    if (request->reason.size() + 1 > *length) {
      *length = static_cast<uint32_t>(request->reason.size() + 1);
      return false;
    }
    std::memcpy(text, request->reason.c_str(), request->reason.size() + 1);
    *length = static_cast<uint32_t>(request->reason.size());
    return true;
  }

  bool Read(Handle handle, void* buffer, uint32_t size, uint32_t* read) override {
    *read = 0;
    Request* request = AsRequest(handle);
    if (request == nullptr) return false;
    // Bytes that keep arriving do not stretch the request's time.
    if (TimeIsUp(request)) return false;
    if (request->pendingOffset == request->pending.size()) {
      request->target = static_cast<char*>(buffer);
      request->targetRoom = size;
      request->targetFilled = 0;
      Pump(request);
      request->target = nullptr;
      request->targetRoom = 0;
      if (request->targetFilled > 0) {
        *read = static_cast<uint32_t>(request->targetFilled);
        request->targetFilled = 0;
        return true;
      }
    }
    size_t available = request->pending.size() - request->pendingOffset;
    if (available == 0) {
      // The end of the body, or a transfer that broke off.
      return request->result == CURLE_OK;
    }
    size_t count = std::min<size_t>(available, size);
    std::memcpy(buffer, request->pending.data() + request->pendingOffset, count);
    request->pendingOffset += count;
    *read = static_cast<uint32_t>(count);
    return true;
  }

  void Close(Handle handle) override { delete static_cast<CurlHandle*>(handle); }

 private:
  static Request* AsRequest(Handle handle) {
    return dynamic_cast<Request*>(static_cast<CurlHandle*>(handle));
  }

  CdnClientOptions m_options;
};

}  // namespace

std::shared_ptr<CdnClient> CreatePlatformCdnClient(const CdnClientOptions& options) {
  return std::make_shared<CurlCdnClient>(options);
}

uint32_t TickCount32() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
