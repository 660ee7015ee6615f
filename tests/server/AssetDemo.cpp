// A walk-through of the asset responder: a loopback CDN serves one asset,
// and the same request goes through ProcessRequest twice, first downloading
// the asset, then answering from the cache file it left.
//   asset_demo [request path]
#include <cstdio>
#include <string>

#include "HTTPServer.h"
#include "LoopbackHttpServer.h"
#include "OutBuf.h"
#include "TestSupport.h"

namespace {

void PrintResponse(const COutBuf& out) {
  std::string raw(out.GetData(), static_cast<size_t>(out.GetLength()));
  size_t headerEnd = raw.find("\r\n\r\n");
  std::string header = raw.substr(0, headerEnd + 4);
  for (size_t at; (at = header.find("\r\n")) != std::string::npos;) header.replace(at, 2, "\n");
  std::printf("%s", header.c_str());
  std::printf("[body: %zu bytes] %s\n\n", raw.size() - headerEnd - 4, raw.substr(headerEnd + 4, 60).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::string path = argc > 1 ? argv[1] : "/img/welcome.txt";

  LoopbackHttpServer cdn;
  cdn.Serve("/pnox_cdn/" + path, HttpResponse("200 OK", "Welcome to Velmora! This asset came from the CDN."));
  TempDir cache;
  CHTTPServer responder(cdn.BaseUrl() + "/pnox_cdn/", cache.Prefix());

  std::string request = "GET " + path + " HTTP/1.1\r\nHost: assets\r\nConnection: keep-alive\r\n\r\n";
  std::printf("CDN:     %s/pnox_cdn/\ncache:   %s\nrequest: GET %s\n\n", cdn.BaseUrl().c_str(),
              cache.Prefix().c_str(), path.c_str());

  for (const char* round : {"first request (cache miss, downloads)", "second request (answered from the cache)"}) {
    COutBuf out;
    int32_t keepAlive = 0;
    if (!responder.ProcessRequest(request, &out, &keepAlive)) {
      std::printf("the request was refused\n");
      return 1;
    }
    std::printf("--- %s; keep-alive flag %d\n", round, keepAlive);
    PrintResponse(out);
  }
  std::printf("CDN requests seen: %zu, cache files: %zu (%s)\n", cdn.RequestCount(), cache.FileCount(),
              CHTTPServer::CacheFileName(path).c_str());
  return cdn.RequestCount() == 1 ? 0 : 1;
}
