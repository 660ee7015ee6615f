// Cached assets of 1 KiB, 1 MiB and 16 MiB answered by ProcessRequest,
// against the floor: a plain read of the same file plus one copy. Both run
// in alternating rounds in this one process; each figure is the median.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "HTTPServer.h"
#include "OutBuf.h"

namespace {

volatile unsigned g_sink;  // keeps the work from being optimised away

void FloorReadAndCopy(const std::string& file) {
  FILE* in = std::fopen(file.c_str(), "rb");
  std::fseek(in, 0, SEEK_END);
  long size = std::ftell(in);
  std::fseek(in, 0, SEEK_SET);
  char* read = static_cast<char*>(std::malloc(static_cast<size_t>(size)));
  size_t got = std::fread(read, 1, static_cast<size_t>(size), in);
  std::fclose(in);
  char* copy = static_cast<char*>(std::malloc(static_cast<size_t>(size)));
  std::memcpy(copy, read, got);
  g_sink += static_cast<unsigned char>(copy[size - 1]);
  std::free(copy);
  std::free(read);
}

void ServeWithProcessRequest(CHTTPServer& server, const std::string& request) {
  COutBuf out;
  int32_t keepAlive = 0;
  server.ProcessRequest(request, &out, &keepAlive);
  g_sink += static_cast<unsigned char>(out.GetData()[out.GetLength() - 1]);
}

}  // namespace

int main() {
  char folder[] = "/tmp/velmora-bench-cache-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  std::string prefix = std::string(folder) + "/";
  // Nothing listens on port 9 of loopback: a miss would show as a wrong size.
  CHTTPServer server("http://127.0.0.1:9/pnox_cdn/", prefix);

  struct Case {
    const char* name;
    size_t size;
    int iterations;
  };
  const Case cases[] = {{"1 KiB", 1024, 20000}, {"1 MiB", 1 << 20, 400}, {"16 MiB", 16 << 20, 24}};
  constexpr int kRounds = 7;

  std::printf("%-8s %16s %16s %8s\n", "asset", "ProcessRequest", "read+copy", "ratio");
  bool allWithin = true;
  for (const Case& c : cases) {
    std::string path = "/bench/asset" + std::to_string(c.size) + ".res";
    std::string file = prefix + CHTTPServer::CacheFileName(path);
    std::string bytes(c.size, 'x');
    for (size_t i = 0; i < c.size; ++i) bytes[i] = static_cast<char>(i * 131 + 7);
    FILE* out = std::fopen(file.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    std::string request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: keep-alive\r\n\r\n";

    {  // the answer must be the cached bytes, or the figures mean nothing
      COutBuf check;
      int32_t keepAlive = 0;
      server.ProcessRequest(request, &check, &keepAlive);
      std::string answer(check.GetData(), static_cast<size_t>(check.GetLength()));
      if (answer.size() < c.size || answer.compare(answer.size() - c.size, c.size, bytes) != 0) {
        std::fprintf(stderr, "wrong answer for %s\n", c.name);
        return 1;
      }
    }
    std::vector<double> served, floor;
    for (int round = 0; round < kRounds; ++round) {
      double start = NowSeconds();
      for (int i = 0; i < c.iterations; ++i) ServeWithProcessRequest(server, request);
      served.push_back((NowSeconds() - start) / c.iterations);
      start = NowSeconds();
      for (int i = 0; i < c.iterations; ++i) FloorReadAndCopy(file);
      floor.push_back((NowSeconds() - start) / c.iterations);
    }
    double ratio = Median(served) / Median(floor);
    allWithin = allWithin && ratio <= 1.5;
    std::printf("%-8s %13.1f us %13.1f us %7.2fx\n", c.name, Median(served) * 1e6, Median(floor) * 1e6, ratio);
    std::remove(file.c_str());
  }
  rmdir(folder);
  std::printf("target: within 1.5x of the floor: %s\n", allWithin ? "met" : "NOT met");
  return 0;
}
