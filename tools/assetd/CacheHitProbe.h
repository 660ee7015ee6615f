#pragma once
// Tells, from a request text, whether CHTTPServer will answer it from a
// cache file of at most a given size, i.e. without a download that could
// block. The path is read by CHTTPServer::ServedPath, as ProcessRequest does.

#include <cstdint>
#include <memory>
#include <string>

class CHTTPServer;

class CacheHitProbe {
 public:
  CacheHitProbe(const CHTTPServer& responder, int64_t largestBytes);

  bool operator()(const std::string& request) const;

 private:
  const CHTTPServer& m_responder;
  int64_t m_largestBytes;
  // The cache folder, opened once: each probe then looks up one name in it
  // rather than walking the whole path (POSIX only; -1 elsewhere or when
  // the folder cannot be opened).
  std::shared_ptr<int> m_folder;
};
