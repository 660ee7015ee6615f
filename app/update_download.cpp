#include "app/update_download.h"

#include <windows.h>
#include <wininet.h>

#include <functional>
#include <memory>
#include <vector>

#include "app/update_feed.h"
#include "server/CdnClient.h"

namespace {

const char kAgent[] = "Velmora-Update/1";
const uint32_t kConnectTimeoutMs = 30000;
// No byte for this long ends a download, as the asset responder's do.
const uint32_t kReceiveTimeoutMs = 30000;
// Always from the server: nothing from or into the system's web cache, no
// cookies, no dialogs, and no redirect followed.
const uint32_t kRequestFlags =
    CdnClient::kReloadNoCacheFlags | CdnClient::kNoAutoRedirect | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
const uint32_t kChunk = 64 * 1024;

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

// Opens |url| and hands every chunk of the body to |sink| (false stops).
// |maxBytes| bounds what is read. The download runs on the asset
// responder's WinINet client, whose deadline ends even a read that blocks
// (Wine's WinINet gives such a read no receive time-out); |cancel| is
// looked at between reads.
DownloadResult Fetch(const std::string& url, uint64_t maxBytes, uint32_t deadlineMs, const std::atomic<bool>* cancel,
                     const std::function<bool(const char*, uint32_t)>& sink) {
  if (!IsAllowedUpdateUrl(url)) return DownloadResult::kRefused;
  if (!WinInetAgrees(Widen(url))) return DownloadResult::kRefused;

  CdnClientOptions options;
  options.connectTimeoutMs = kConnectTimeoutMs;
  options.receiveTimeoutMs = kReceiveTimeoutMs;
  options.downloadTimeoutMs = deadlineMs;
  std::shared_ptr<CdnClient> client = CreatePlatformCdnClient(options);
  std::unique_ptr<void, std::function<void(void*)>> session(client->OpenSession(kAgent, CdnClient::kOpenPreconfig),
                                                            [&client](void* handle) { client->Close(handle); });
  if (!session) return DownloadResult::kFailed;
  uint32_t started = TickCount32();
  std::unique_ptr<void, std::function<void(void*)>> request(
      client->OpenUrl(session.get(), url.c_str(), nullptr, 0, kRequestFlags),
      [&client](void* handle) { client->Close(handle); });
  auto failed = [&] { return TickCount32() - started >= deadlineMs ? DownloadResult::kTimedOut : DownloadResult::kFailed; };
  if (!request) return failed();
  uint32_t status = 0;
  if (!client->QueryNumber(request.get(), CdnClient::kQueryStatusCode, &status) || status != HTTP_STATUS_OK) {
    return DownloadResult::kFailed;
  }
  // The announced length, when there is one, is checked before reading.
  uint32_t announced = 0;
  bool hasLength = client->QueryNumber(request.get(), CdnClient::kQueryContentLength, &announced);
  if (hasLength && announced > maxBytes) return DownloadResult::kTooLarge;

  std::vector<char> buffer(kChunk);
  uint64_t total = 0;
  while (true) {
    if (cancel && cancel->load()) return DownloadResult::kCancelled;
    uint32_t read = 0;
    if (!client->Read(request.get(), buffer.data(), kChunk, &read)) return failed();
    if (read == 0) break;
    total += read;
    if (total > maxBytes) return DownloadResult::kTooLarge;
    if (!sink(buffer.data(), read)) return DownloadResult::kFailed;
  }
  if (hasLength && total != announced) return DownloadResult::kIncomplete;
  return DownloadResult::kOk;
}

}  // namespace

DownloadResult DownloadToMemory(const std::string& url, size_t maxBytes, std::string* body) {
  body->clear();
  return Fetch(url, maxBytes, 2 * kReceiveTimeoutMs, nullptr, [body](const char* data, uint32_t size) {
    body->append(data, size);
    return true;
  });
}

DownloadResult DownloadToFile(const std::string& url, const std::wstring& path, uint64_t maxBytes,
                              uint32_t deadlineSeconds, const std::atomic<bool>* cancel) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return DownloadResult::kFailed;
  DownloadResult result = Fetch(url, maxBytes, 1000 * deadlineSeconds, cancel, [file](const char* data, uint32_t size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
  });
  if (result == DownloadResult::kOk && !FlushFileBuffers(file)) result = DownloadResult::kFailed;
  CloseHandle(file);
  if (result != DownloadResult::kOk) DeleteFileW(path.c_str());
  return result;
}
