#include "CacheHitProbe.h"

#include <sys/stat.h>

#include "HTTPServer.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

CacheHitProbe::CacheHitProbe(const CHTTPServer& responder, int64_t largestBytes)
    : m_responder(responder), m_largestBytes(largestBytes) {
#ifndef _WIN32
  // The prefix ends in a separator; an empty one is the current folder.
  const std::string& prefix = responder.CachePrefix();
  int folder = open(prefix.empty() ? "." : prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  m_folder = std::shared_ptr<int>(new int(folder), [](int* descriptor) {
    if (*descriptor >= 0) close(*descriptor);
    delete descriptor;
  });
#endif
}

bool CacheHitProbe::operator()(const std::string& request) const {
  std::string path;
  if (!CHTTPServer::ServedPath(request, &path)) return true;  // refused at once, nothing to read
  struct stat file;
#ifndef _WIN32
  if (m_folder && *m_folder >= 0) {
    if (fstatat(*m_folder, CHTTPServer::CacheFileName(path).c_str(), &file, 0) != 0) return false;
    return S_ISREG(file.st_mode) && file.st_size <= m_largestBytes;
  }
#endif
  if (stat(m_responder.CacheFilePath(path).c_str(), &file) != 0) return false;
  return (file.st_mode & S_IFMT) == S_IFREG && file.st_size <= m_largestBytes;
}
