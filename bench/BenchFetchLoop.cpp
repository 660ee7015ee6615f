// FetchAndStore of one path, over and over, for a profiler to watch (no
// curl process beside it): bench/profile.sh runs it under perf.
//   bench_fetch_loop CDN_BASE PATH COUNT
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "HTTPServer.h"
#include "OutBuf.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bench_fetch_loop CDN_BASE PATH COUNT\n");
    return 2;
  }
  char folder[] = "/tmp/velmora-bench-loop-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  CHTTPServer server(argv[1], std::string(folder) + "/");
  std::string path = argv[2];
  int failures = 0;
  for (int i = 0, count = std::atoi(argv[3]); i < count; ++i) {
    COutBuf body;
    body.SetGrowBy(256);
    std::string status = "200 OK";
    if (!server.FetchAndStore(path, &body, &status)) ++failures;
    std::remove(server.CacheFilePath(path).c_str());
  }
  rmdir(folder);
  if (failures > 0) std::fprintf(stderr, "%d downloads failed\n", failures);
  return failures > 0 ? 1 : 0;
}
