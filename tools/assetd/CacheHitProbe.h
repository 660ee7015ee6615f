#pragma once
// Tells, from a request text, whether CHTTPServer will answer it from a
// cache file of at most a given size, i.e. without a download that could
// block. The path is read by CHTTPServer::ServedPath, as ProcessRequest does.

#include <cstdint>
#include <string>

class CHTTPServer;

class CacheHitProbe {
 public:
  CacheHitProbe(const CHTTPServer& responder, int64_t largestBytes)
      : m_responder(responder), m_largestBytes(largestBytes) {}

  bool operator()(const std::string& request) const;

 private:
  const CHTTPServer& m_responder;
  int64_t m_largestBytes;
};
