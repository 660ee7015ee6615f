// WinINet behind CdnClient: every call is passed through as it is.
#include "CdnClient.h"

#include <windows.h>
#include <wininet.h>

namespace {

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
    HINTERNET session = InternetOpenA(agent, accessType, nullptr, nullptr, 0);
    if (session != nullptr) {
      // WinINet's own defaults unless configured otherwise; the
      // request that InternetOpenUrl makes inherits them.
      DWORD connect = m_options.connectTimeoutMs;
      DWORD receive = m_options.receiveTimeoutMs;
      InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
      InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
      InternetSetOptionA(session, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof receive);
    }
    return session;
  }

  Handle OpenUrl(Handle session, const char* url, const char* headers, uint32_t headersLength,
                 uint32_t flags) override {
    return InternetOpenUrlA(static_cast<HINTERNET>(session), url, headers, headersLength, flags, 0);
  }

  bool QueryNumber(Handle request, uint32_t query, uint32_t* value) override {
    DWORD number = 0;
    DWORD length = sizeof number;
    if (!HttpQueryInfoA(static_cast<HINTERNET>(request), query, &number, &length, nullptr)) return false;
    *value = number;
    return true;
  }

  bool QueryText(Handle request, uint32_t query, char* text, uint32_t* length) override {
    DWORD size = *length;
    BOOL ok = HttpQueryInfoA(static_cast<HINTERNET>(request), query, text, &size, nullptr);
    *length = size;
    return ok != FALSE;
  }

  bool Read(Handle request, void* buffer, uint32_t size, uint32_t* read) override {
    DWORD count = 0;
    BOOL ok = InternetReadFile(static_cast<HINTERNET>(request), buffer, size, &count);
    *read = count;
    return ok != FALSE;
  }

  void Close(Handle handle) override { InternetCloseHandle(static_cast<HINTERNET>(handle)); }

 private:
  CdnClientOptions m_options;
};

}  // namespace

std::shared_ptr<CdnClient> CreatePlatformCdnClient(const CdnClientOptions& options) {
  return std::make_shared<WinInetCdnClient>(options);
}

uint32_t TickCount32() { return GetTickCount(); }
