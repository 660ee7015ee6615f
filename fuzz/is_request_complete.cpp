// IsRequestComplete on any received text: true exactly when it ends with
// an empty line, whatever comes before.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "HTTPServer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CHTTPServer server("http://127.0.0.1:9/pnox_cdn/", "/nonexistent/");
  std::string received(reinterpret_cast<const char*>(data), size);
  bool expected = size >= 4 && received.compare(size - 4, 4, "\r\n\r\n") == 0;
  FUZZ_CHECK(server.IsRequestComplete(received) == expected);
  return 0;
}
