#include "HTTPServer.h"

#include <cstdio>
#include <ctime>

#include "OutBuf.h"
#include "velmora_operator.h"

const char kCdnBaseUrl[] = VELMORA_OPERATOR_CDN_BASE_URL;

namespace {

const char kStatusOk[] = "200 OK";
const char kStatusNotImplemented[] = "501 Not Implemented";
const char kNotImplementedPath[] = "/mna.html";
const char kKeepAliveMarker[] = "\nConnection: keep-alive";
const char kServerName[] = "QuillonWebServer/0.1b";
const char kHeaderFormat[] =
    "HTTP/1.0 %s\r\nDate: %s\r\nServer: %s\r\nAccept-Ranges: bytes\r\nContent-Length: %d\r\n"
    "Connection: %s\r\nContent-Type: %s\r\n\r\n";
constexpr int kHeaderArea = 2048;
constexpr int kBodyGrowBy = 256;

// "%a, %d %b %Y %H:%M:%S GMT" with English names whatever the C locale is
// (another thread may have switched it), and thread-safe.
const std::string& HttpDateNow() {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  // The text changes once a second; a busy server formats it once per
  // second and thread rather than once per request.
  thread_local std::time_t formattedAt = -1;
  thread_local std::string formatted;
  std::time_t now = std::time(nullptr);
  if (now == formattedAt) return formatted;
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &now);
#else
  gmtime_r(&now, &utc);
#endif
  char text[128];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[utc.tm_wday % 7], utc.tm_mday,
                kMonths[utc.tm_mon % 12], utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
  formattedAt = now;
  formatted = text;
  return formatted;
}

}  // namespace

CHTTPServer::CHTTPServer(std::string cdnBaseUrl, std::string cachePrefix, std::shared_ptr<CdnClient> cdn)
    : m_cachePrefix(std::move(cachePrefix)), m_cdnBaseUrl(std::move(cdnBaseUrl)), m_cdn(std::move(cdn)) {
  FillMimeTypes(m_mimeTypes);
  if (!m_cdn) m_cdn = CreatePlatformCdnClient();
}

CHTTPServer::~CHTTPServer() = default;

uint32_t CHTTPServer::TransportHookA(uint32_t, uint32_t) { return 0; }
uint32_t CHTTPServer::TransportHookB(uint32_t) { return 0; }

bool CHTTPServer::IsRequestComplete(std::string received) {
  return received.size() >= 4 && received.compare(received.size() - 4, 4, "\r\n\r\n") == 0;
}

std::string CHTTPServer::ContentTypeFor(const std::string& path) const {
  return LookupContentType(m_mimeTypes, path);
}

bool CHTTPServer::ServedPath(const std::string& request, std::string* path, bool* isGet) {
  size_t firstSpace = request.find(' ');
  if (firstSpace == std::string::npos) return false;
  bool get = request.compare(0, firstSpace, "GET") == 0;
  if (isGet != nullptr) *isGet = get;
  if (!get) {
    *path = kNotImplementedPath;
    return true;
  }
  size_t pathEnd = request.find(' ', firstSpace + 1);
  *path = request.substr(firstSpace + 1, pathEnd == std::string::npos ? std::string::npos : pathEnd - firstSpace - 1);
  return true;
}

bool CHTTPServer::ProcessRequest(std::string request, COutBuf* out, int32_t* keepAlive) {
  std::string path;
  bool isGet = false;
  if (!ServedPath(request, &path, &isGet)) return false;
  std::string status = isGet ? kStatusOk : kStatusNotImplemented;

  if (request.find(kKeepAliveMarker) != std::string::npos) *keepAlive = 1;

  std::string contentType = ContentTypeFor(path);
  const std::string& date = HttpDateNow();

  COutBuf body;
  body.SetGrowBy(kBodyGrowBy);
  if (LoadFromCache(path, &body) && !FetchAndStore(path, &body, &status)) {
    contentType = kDefaultContentType;
  }

  char header[kHeaderArea];
  int headerLength = std::snprintf(header, sizeof header, kHeaderFormat, status.c_str(), date.c_str(), kServerName,
                                   body.GetLength(), *keepAlive ? "Keep-Alive" : "close", contentType.c_str());
  if (headerLength < 0 || headerLength >= kHeaderArea) return false;  // cannot happen: every part is bounded

  out->Clear();
  out->Write(header, headerLength);
  out->Write(body.GetData(), body.GetLength());
  return true;
}
