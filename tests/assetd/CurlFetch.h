#pragma once
// GETs through libcurl, an ordinary HTTP client, for the assetd tests.

#include <string>

struct CurlAnswer {
  bool transferred = false;  // curl saw a whole response
  long status = 0;
  std::string contentType;
  std::string body;
  long connectionsMade = 0;  // new connections this transfer needed
};

class CurlFetcher {
 public:
  CurlFetcher();
  ~CurlFetcher();
  CurlFetcher(const CurlFetcher&) = delete;
  CurlFetcher& operator=(const CurlFetcher&) = delete;
  // Reuses this fetcher's connection when the server kept it open.
  CurlAnswer Get(const std::string& url, bool askKeepAlive = false);

 private:
  void* m_easy;
};

inline CurlAnswer CurlGet(const std::string& url, bool askKeepAlive = false) {
  CurlFetcher fetcher;
  return fetcher.Get(url, askKeepAlive);
}
