// The asset store behind ProcessRequest: cache files named by the MD5 of the
// request path, filled from the CDN on a miss.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "CacheFile.h"
#include "HTTPServer.h"
#include "Md5.h"
#include "OutBuf.h"

namespace {

const char kRequestHeaders[] = "Accept: */*\r\n\r\n";
constexpr uint32_t kReadPiece = 16384;
constexpr uint32_t kReasonArea = 124;
constexpr uint32_t kLargestExpectedBody = 64u << 20;

enum DownloadResult { kComplete = 0, kCannotRequest = 1, kIncomplete = 3, kNoConnection = 4 };

// Control bytes in the path would end up as bytes of the CDN request line
// or headers (CR LF starts a header of the client's choosing).
bool HasControlBytes(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) return true;
  }
  return false;
}

// One byte of a path as the CDN's URL parser may see it: a percent escape
// ("%2e", "%2F", "%5c") counts as the byte it stands for. Sets `width` to
// the number of bytes it took.
char DecodedAt(const std::string& text, size_t at, size_t* width) {
  *width = 1;
  if (text[at] != '%' || at + 2 >= text.size()) return text[at];
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  int high = hex(text[at + 1]);
  int low = hex(text[at + 2]);
  if (high < 0 || low < 0) return text[at];
  char decoded = static_cast<char>(high * 16 + low);
  if (decoded != '.' && decoded != '/' && decoded != '\\') return text[at];
  *width = 3;
  return decoded;
}

// "." or ".." between separators (slash or backslash, plain or escaped)
// would make an HTTP client fold the URL and leave the CDN base. The ends
// of the text and the start of a query or fragment bound a segment too.
bool HasDotSegment(const std::string& url) {
  size_t dots = 0;
  bool onlyDots = true;
  for (size_t at = 0;;) {
    bool end = at >= url.size();
    size_t width = 1;
    char c = end ? '/' : DecodedAt(url, at, &width);
    if (c == '/' || c == '\\' || c == '?' || c == '#') {
      if (onlyDots && (dots == 1 || dots == 2)) return true;
      if (end) return false;
      dots = 0;
      onlyDots = true;
    } else if (c == '.') {
      ++dots;
    } else {
      onlyDots = false;
    }
    at += width;
  }
}

// The statuses with which a server sends a client elsewhere.
bool IsRedirect(uint32_t statusCode) {
  return statusCode == 301 || statusCode == 302 || statusCode == 303 || statusCode == 307 || statusCode == 308;
}

}  // namespace

std::string CHTTPServer::CacheFileName(const std::string& path) { return Md5Hex(path); }

std::string CHTTPServer::CacheFilePath(const std::string& path) const {
  return m_cachePrefix + CacheFileName(path);
}

bool CHTTPServer::LoadFromCache(const std::string& path, COutBuf* body) const {
  // A missing or unreadable file needs a download; an empty one is a valid
  // entry with an empty body.
  return !body->LoadFile(CacheFilePath(path).c_str());
}

bool CHTTPServer::FetchAndStore(const std::string& path, COutBuf* body, std::string* status) const {
  DownloadFlights::Ticket ticket = m_flights.Join(CacheFileName(path));
  if (!ticket.Leads()) {
    const DownloadFlights::Outcome& outcome = ticket.Result();
    body->Write(outcome.body.data(), static_cast<int32_t>(outcome.body.size()));
    if (outcome.statusReplaced) *status = outcome.status;
    return outcome.complete;
  }
  // A flight that landed between our cache miss and our Join has stored
  // its download already (it stores before it lands).
  if (!LoadFromCache(path, body)) {
    ticket.Finish(*body, nullptr, true);
    return true;
  }
  std::string before = *status;
  bool complete = Download(path, body, status);
  if (complete) StoreInCache(path, *body);
  ticket.Finish(*body, *status != before ? status : nullptr, complete);
  return complete;
}

bool CHTTPServer::Download(const std::string& path, COutBuf* body, std::string* status) const {
  std::string url = m_cdnBaseUrl + path;

  uint32_t connection = 0;
  m_cdn->GetConnectedState(&connection);
  if (connection & CdnClient::kConnectionOffline) return false;

  char agent[32];
  std::snprintf(agent, sizeof agent, "Agent%ld", static_cast<long>(static_cast<int32_t>(TickCount32())));
  uint32_t access = (connection & CdnClient::kConnectionProxy) ? CdnClient::kOpenPreconfig
                                                               : CdnClient::kOpenPreconfigNoAutoproxy;
  CdnClient::Handle session = m_cdn->OpenSession(agent, access);
  if (session == nullptr) return false;
  int result = DownloadToBuffer(session, status, url, body);
  m_cdn->Close(session);
  return result == kComplete;
}

// Under a temporary name, flushed to the disk before it takes the entry's
// name: a reader never sees a partial file, and neither does the next run
// after a crash or a power cut.
bool CHTTPServer::StoreInCache(const std::string& path, const COutBuf& body) const {
  return WriteCacheFile(CacheFilePath(path), body.GetData(), static_cast<size_t>(body.GetLength()));
}

int CHTTPServer::DownloadToBuffer(CdnClient::Handle session, std::string* status, const std::string& url,
                                  COutBuf* sink) const {
  if (HasControlBytes(url)) return kCannotRequest;
  if (HasDotSegment(url)) return kCannotRequest;
  // Redirects are never followed: they could point the responder at a host
  // on the player's network, or at this machine, and the answer would be
  // kept under the asset's name.
  CdnClient::Handle request =
      m_cdn->OpenUrl(session, url.c_str(), kRequestHeaders, sizeof kRequestHeaders - 1,
                     CdnClient::kReloadNoCacheFlags | CdnClient::kNoAutoRedirect);
  if (request == nullptr) return kCannotRequest;

  int result = kComplete;
  uint32_t statusCode = 0;
  uint32_t contentLength = 0;
  if (!m_cdn->QueryNumber(request, CdnClient::kQueryStatusCode, &statusCode) || IsRedirect(statusCode) ||
      !m_cdn->QueryNumber(request, CdnClient::kQueryContentLength, &contentLength)) {
    result = kCannotRequest;
  } else {
    bool readFailed = false;
    // The announced length is a hint for the storage, bounded so that a
    // CDN's claim cannot take a 32-bit process's address space.
    if (sink != nullptr) sink->ExpectSize(static_cast<int32_t>(std::min(contentLength, kLargestExpectedBody)));
    // One byte past the announced length is enough to know the body is
    // not the one announced; reading on would let the CDN grow the answer
    // as far as it likes.
    const uint64_t readLimit = static_cast<uint64_t>(contentLength) + 1;
    uint64_t received = 0;
    char piece[kReadPiece];
    while (received < readLimit) {
      uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(kReadPiece, readLimit - received));
      // Each piece goes straight into the body's storage.
      char* area = sink != nullptr ? sink->Room(static_cast<int32_t>(wanted)) : piece;
      if (area == nullptr) {
        readFailed = true;  // out of memory: the body cannot be whole
        break;
      }
      uint32_t count = 0;
      if (!m_cdn->Read(request, area, wanted, &count)) {
        readFailed = true;
        break;
      }
      if (count == 0) break;
      received += count;
      if (sink != nullptr) sink->Commit(static_cast<int32_t>(count));
    }
    if (readFailed) {
      result = kIncomplete;
    } else if (statusCode == 200) {
      bool whole = sink == nullptr || received == contentLength;
      result = whole ? kComplete : kIncomplete;
    } else {
      // The CDN's own status replaces ours, and its error page is the body.
      char reason[kReasonArea];
      uint32_t reasonLength = kReasonArea;
      // A control byte (a bare CR above all) could start a header line of
      // the CDN's choosing in our answer: unreadable, like no reason.
      if (!m_cdn->QueryText(request, CdnClient::kQueryStatusText, reason, &reasonLength) ||
          HasControlBytes(std::string(reason, strnlen(reason, kReasonArea)))) {
        result = kCannotRequest;
      } else {
        *status = std::to_string(statusCode) + " " + reason;
        result = kIncomplete;
      }
    }
  }
  m_cdn->Close(request);  // the request before its session
  return result;
}
