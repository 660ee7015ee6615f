#pragma once
// The few HTTP client operations that the CDN download needs, shaped after
// WinINet. On Windows they are WinINet itself; elsewhere libcurl stands in
// with the same behaviour, so the download logic is written once.

#include <cstdint>
#include <memory>

class CdnClient {
 public:
  using Handle = void*;

  // Connection-state bits (INTERNET_CONNECTION_*).
  static constexpr uint32_t kConnectionProxy = 0x04;
  static constexpr uint32_t kConnectionOffline = 0x20;
  // Session access types (INTERNET_OPEN_TYPE_*).
  static constexpr uint32_t kOpenPreconfig = 0;
  static constexpr uint32_t kOpenPreconfigNoAutoproxy = 4;
  // Request flags: reload from the server, keep nothing in the system's web
  // cache, and send Pragma: no-cache.
  static constexpr uint32_t kReloadNoCacheFlags = 0x84000100;
  // Request flag (INTERNET_FLAG_NO_AUTO_REDIRECT): a redirect is handed
  // back as the response instead of being followed.
  static constexpr uint32_t kNoAutoRedirect = 0x00200000;
  // Header queries (HTTP_QUERY_*, with HTTP_QUERY_FLAG_NUMBER where numeric).
  static constexpr uint32_t kQueryStatusCode = 0x20000013;
  static constexpr uint32_t kQueryContentLength = 0x20000005;
  static constexpr uint32_t kQueryStatusText = 0x14;

  virtual ~CdnClient() = default;

  virtual bool GetConnectedState(uint32_t* flags) = 0;
  virtual Handle OpenSession(const char* agent, uint32_t accessType) = 0;
  // Sends a GET and waits for the response headers; null when no response.
  virtual Handle OpenUrl(Handle session, const char* url, const char* headers,
                         uint32_t headersLength, uint32_t flags) = 0;
  virtual bool QueryNumber(Handle request, uint32_t query, uint32_t* value) = 0;
  // Copies a header text with its terminator; fails when it does not fit.
  virtual bool QueryText(Handle request, uint32_t query, char* text, uint32_t* length) = 0;
  // Reads the next body bytes, at most `size` and no more than have
  // arrived; a count of 0 marks the end of the body. Fails once the
  // request's time is up (CdnClientOptions).
  virtual bool Read(Handle request, void* buffer, uint32_t size, uint32_t* read) = 0;
  virtual void Close(Handle handle) = 0;
};

struct CdnClientOptions {
  // Report the offline state, as when the user chose to work offline.
  bool workOffline = false;
  // WinINet's documented defaults (INTERNET_OPTION_CONNECT_TIMEOUT and
  // INTERNET_OPTION_RECEIVE_TIMEOUT; the HKLMConnectTimeOut and
  // HKLMReceiveTimeOut settings: 60,000 ms to connect, 30,000 ms for data
  // to arrive). The receive time-out is the no-progress window: a request
  // that receives nothing for that long fails, while its headers are
  // awaited and between body bytes. Both clients apply both, on Windows
  // and under Wine alike.
  uint32_t connectTimeoutMs = 60000;
  uint32_t receiveTimeoutMs = 30000;
  // The whole request, from opening it to its last byte, however steadily
  // the bytes trickle in. Ten minutes: the largest body the responder
  // expects (64 MiB) arrives well within that at 1 Mbit/s, and a CDN that
  // sends a byte now and then frees its worker within minutes, not never.
  // A read that is waiting when the time is up ends by the receive
  // time-out at the latest.
  uint32_t downloadTimeoutMs = 600000;
};

// The platform's client: WinINet on Windows, libcurl elsewhere.
std::shared_ptr<CdnClient> CreatePlatformCdnClient(const CdnClientOptions& options = {});

// Milliseconds since the system started, as a 32-bit count.
uint32_t TickCount32();
