// ProcessRequest on any request text, with an empty cache folder and a CDN
// port where nothing listens: no crash, and every answer is a well-formed
// response whose Content-Length matches its body.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "HTTPServer.h"
#include "OutBuf.h"
#include "RefusingPort.h"

namespace {

CHTTPServer& Responder() {
  static std::string cache = [] {
    static char folder[] = "/tmp/velmora-fuzz-cache-XXXXXX";
    FUZZ_CHECK(mkdtemp(folder) != nullptr);
    std::atexit([] { rmdir(folder); });  // nothing is ever cached in it
    return std::string(folder) + "/";
  }();
  static CHTTPServer server("http://127.0.0.1:" + std::to_string(RefusingPort()) + "/pnox_cdn/", cache);
  return server;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string request(reinterpret_cast<const char*>(data), size);
  COutBuf out;
  out.PutString("untouched");
  int32_t keepAlive = 0;
  bool answered = Responder().ProcessRequest(request, &out, &keepAlive);

  if (request.find(' ') == std::string::npos) {
    FUZZ_CHECK(!answered);
    FUZZ_CHECK(keepAlive == 0);
    FUZZ_CHECK(std::string(out.GetData(), out.GetLength()) == "untouched");
    return 0;
  }
  FUZZ_CHECK(answered);
  FUZZ_CHECK(keepAlive == (request.find("\nConnection: keep-alive") != std::string::npos ? 1 : 0));
  std::string response(out.GetData(), static_cast<size_t>(out.GetLength()));
  size_t headerEnd = response.find("\r\n\r\n");
  FUZZ_CHECK(response.rfind("HTTP/1.0 ", 0) == 0 && headerEnd != std::string::npos);
  std::string head = response.substr(0, headerEnd + 2);
  size_t lengthAt = head.find("\r\nContent-Length: ");
  FUZZ_CHECK(lengthAt != std::string::npos);
  long announced = std::strtol(head.c_str() + lengthAt + 18, nullptr, 10);
  FUZZ_CHECK(announced == static_cast<long>(response.size() - headerEnd - 4));
  // Nothing can be downloaded, so nothing is served by extension.
  FUZZ_CHECK(head.find("\r\nContent-Type: text/html\r\n") != std::string::npos);
  FUZZ_CHECK(head.find(keepAlive ? "\r\nConnection: Keep-Alive\r\n" : "\r\nConnection: close\r\n") !=
             std::string::npos);
  return 0;
}
