#include "app/update_download.h"

#include <windows.h>
#include <wininet.h>

#include <functional>
#include <vector>

#include "app/update_feed.h"

namespace {

const wchar_t kAgent[] = L"Velmora-Update/1";
const DWORD kConnectTimeoutMs = 30000;
const DWORD kReceiveTimeoutMs = 30000;
// Always from the server: nothing from or into the system's web cache, no
// cookies, no dialogs, and no redirect followed.
const DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                            INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT;
const DWORD kChunk = 64 * 1024;

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// WinINet must read the address as the rules did: the same scheme, and for
// plain http a loopback host.
bool WinInetAgrees(const std::wstring& url) {
  wchar_t host[256];
  URL_COMPONENTSW parts = {};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = 256;
  if (!InternetCrackUrlW(url.c_str(), 0, 0, &parts)) return false;
  std::wstring name(host, parts.dwHostNameLength);
  if (parts.nScheme == INTERNET_SCHEME_HTTPS) return !name.empty();
  return parts.nScheme == INTERNET_SCHEME_HTTP && (name == L"127.0.0.1" || _wcsicmp(name.c_str(), L"localhost") == 0);
}

class Handle {
 public:
  explicit Handle(HINTERNET handle) : m_handle(handle) {}
  ~Handle() {
    if (m_handle) InternetCloseHandle(m_handle);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HINTERNET get() const { return m_handle; }

 private:
  HINTERNET m_handle;
};

// Opens |url| and hands every chunk of the body to |sink| (false stops).
// |maxBytes| and the deadline bound what is read; |cancel| is looked at
// between chunks.
DownloadResult Fetch(const std::string& url, uint64_t maxBytes, ULONGLONG deadline, const std::atomic<bool>* cancel,
                     const std::function<bool(const char*, DWORD)>& sink) {
  if (!IsAllowedUpdateUrl(url)) return DownloadResult::kRefused;
  std::wstring wide = Widen(url);
  if (!WinInetAgrees(wide)) return DownloadResult::kRefused;

  Handle session(InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session.get()) return DownloadResult::kFailed;
  DWORD connect = kConnectTimeoutMs, receive = kReceiveTimeoutMs;
  InternetSetOptionW(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
  InternetSetOptionW(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
  InternetSetOptionW(session.get(), INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof receive);

  Handle request(InternetOpenUrlW(session.get(), wide.c_str(), nullptr, 0, kRequestFlags, 0));
  if (!request.get()) return DownloadResult::kFailed;
  DWORD status = 0, length = sizeof status;
  if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr) ||
      status != HTTP_STATUS_OK) {
    return DownloadResult::kFailed;
  }
  // The announced length, when there is one, is checked before reading.
  wchar_t announcedText[32];
  DWORD announcedSize = sizeof announcedText;
  long long announced = -1;
  if (HttpQueryInfoW(request.get(), HTTP_QUERY_CONTENT_LENGTH, announcedText, &announcedSize, nullptr)) {
    announced = _wtoi64(announcedText);
    if (announced < 0 || static_cast<unsigned long long>(announced) > maxBytes) return DownloadResult::kTooLarge;
  }

  std::vector<char> buffer(kChunk);
  uint64_t total = 0;
  while (true) {
    if (cancel && cancel->load()) return DownloadResult::kCancelled;
    if (GetTickCount64() > deadline) return DownloadResult::kTimedOut;
    DWORD read = 0;
    if (!InternetReadFile(request.get(), buffer.data(), kChunk, &read)) return DownloadResult::kFailed;
    if (read == 0) break;
    total += read;
    if (total > maxBytes) return DownloadResult::kTooLarge;
    if (!sink(buffer.data(), read)) return DownloadResult::kFailed;
  }
  if (announced >= 0 && total != static_cast<unsigned long long>(announced)) return DownloadResult::kIncomplete;
  return DownloadResult::kOk;
}

}  // namespace

DownloadResult DownloadToMemory(const std::string& url, size_t maxBytes, std::string* body) {
  body->clear();
  ULONGLONG deadline = GetTickCount64() + 2ull * kReceiveTimeoutMs;
  return Fetch(url, maxBytes, deadline, nullptr, [body](const char* data, DWORD size) {
    body->append(data, size);
    return true;
  });
}

DownloadResult DownloadToFile(const std::string& url, const std::wstring& path, uint64_t maxBytes,
                              uint32_t deadlineSeconds, const std::atomic<bool>* cancel) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return DownloadResult::kFailed;
  ULONGLONG deadline = GetTickCount64() + 1000ull * deadlineSeconds;
  DownloadResult result = Fetch(url, maxBytes, deadline, cancel, [file](const char* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
  });
  if (result == DownloadResult::kOk && !FlushFileBuffers(file)) result = DownloadResult::kFailed;
  CloseHandle(file);
  if (result != DownloadResult::kOk) DeleteFileW(path.c_str());
  return result;
}
