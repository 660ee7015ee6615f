#pragma once
// Tells, from a request text, whether CHTTPServer will answer it from a
// cache file of at most a given size, i.e. without a download that could
// block. It reads the request line the way ProcessRequest does.

#include <cstdint>
#include <string>

class CHTTPServer;

class CacheHitProbe {
 public:
  CacheHitProbe(const CHTTPServer& responder, int64_t largestBytes)
      : m_responder(responder), m_largestBytes(largestBytes) {}

  bool operator()(const std::string& request) const;

  // The path ProcessRequest serves for this request; false without a space.
  static bool RequestPath(const std::string& request, std::string* path);

 private:
  const CHTTPServer& m_responder;
  int64_t m_largestBytes;
};
