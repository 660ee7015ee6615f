#include "CacheHitProbe.h"

#include <sys/stat.h>

#include "HTTPServer.h"

bool CacheHitProbe::operator()(const std::string& request) const {
  std::string path;
  if (!CHTTPServer::ServedPath(request, &path)) return true;  // refused at once, nothing to read
  struct stat file;
  if (stat(m_responder.CacheFilePath(path).c_str(), &file) != 0) return false;
  return (file.st_mode & S_IFMT) == S_IFREG && file.st_size <= m_largestBytes;
}
