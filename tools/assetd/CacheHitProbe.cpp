#include "CacheHitProbe.h"

#include <sys/stat.h>

#include "HTTPServer.h"

bool CacheHitProbe::RequestPath(const std::string& request, std::string* path) {
  size_t firstSpace = request.find(' ');
  if (firstSpace == std::string::npos) return false;
  if (request.compare(0, firstSpace, "GET") != 0) {
    *path = "/mna.html";
    return true;
  }
  size_t pathEnd = request.find(' ', firstSpace + 1);
  *path = request.substr(firstSpace + 1, pathEnd == std::string::npos ? std::string::npos : pathEnd - firstSpace - 1);
  return true;
}

bool CacheHitProbe::operator()(const std::string& request) const {
  std::string path;
  if (!RequestPath(request, &path)) return true;  // refused at once, nothing to read
  struct stat file;
  if (stat(m_responder.CacheFilePath(path).c_str(), &file) != 0) return false;
  return (file.st_mode & S_IFMT) == S_IFREG && file.st_size <= m_largestBytes;
}
