#pragma once
// CHTTPServer: the asset responder. Answers HTTP/1.0 GET requests for game
// assets from the local cache, downloading missing ones from the CDN.

#include <memory>
#include <string>

#include "CdnClient.h"
#include "DownloadFlights.h"
#include "GenericServer.h"
#include "MimeTypes.h"

class COutBuf;

// Where missing assets are downloaded from; the request path is appended.
extern const char kCdnBaseUrl[];

class CHTTPServer : public CGenericServer {
 public:
  // The process's responder uses the defaults. Tests point it at another
  // CDN, cache folder (ending in a separator) or HTTP client.
  explicit CHTTPServer(std::string cdnBaseUrl = kCdnBaseUrl, std::string cachePrefix = std::string(),
                       std::shared_ptr<CdnClient> cdn = nullptr);
  ~CHTTPServer() override;

  uint32_t TransportHookA(uint32_t first, uint32_t second) override;
  uint32_t TransportHookB(uint32_t value) override;
  bool IsRequestComplete(std::string received) override;
  bool ProcessRequest(std::string request, COutBuf* out, int32_t* keepAlive) override;

  // The asset store behind ProcessRequest.
  // Fills the empty `body` from the path's cache file; true when a download
  // is needed.
  bool LoadFromCache(const std::string& path, COutBuf* body) const;
  // Downloads the path into `body`, keeps a complete download in the cache
  // and may replace `status` with the CDN's; true when the body is complete.
  // One download per cache name runs at a time: a request for a name being
  // downloaded waits and gets that download's body, status and outcome; one
  // that comes just after a download was stored gets the cache file.
  bool FetchAndStore(const std::string& path, COutBuf* body, std::string* status) const;
  // One GET of `url` on an open session into `sink` (which may be null).
  // 0: complete; 1: no request, or status/length/reason unreadable;
  // 3: read failed, wrong length, or a status other than 200.
  int DownloadToBuffer(CdnClient::Handle session, std::string* status, const std::string& url,
                       COutBuf* sink) const;

  // The path a request is served from: the request-line path, used as it
  // is, for GET; "/mna.html" for any other method. False without a space.
  static bool ServedPath(const std::string& request, std::string* path, bool* isGet = nullptr);

  // The cache file's name for a path: the MD5 of its bytes in hex.
  static std::string CacheFileName(const std::string& path);
  std::string CacheFilePath(const std::string& path) const;
  const std::string& CachePrefix() const { return m_cachePrefix; }
  std::string ContentTypeFor(const std::string& path) const;

 private:
  // One download attempt (no cache, no sharing): true when complete.
  bool Download(const std::string& path, COutBuf* body, std::string* status) const;
  bool StoreInCache(const std::string& path, const COutBuf& body) const;

  std::string m_cachePrefix;
  MimeMap m_mimeTypes;
  std::string m_cdnBaseUrl;
  std::shared_ptr<CdnClient> m_cdn;
  mutable DownloadFlights m_flights;  // the downloads under way, by cache name
};
