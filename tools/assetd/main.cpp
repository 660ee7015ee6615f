// velmora-assetd: the asset responder as a small HTTP server on a loopback
// address, so that it can be used, measured and attacked like any other.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "AssetDaemon.h"
#include "CacheFile.h"
#include "CacheHitProbe.h"
#include "HTTPServer.h"
#include "Options.h"

#ifdef _WIN32
#include <windows.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace {

#ifdef _WIN32
AssetDaemon* g_daemon = nullptr;

// Ctrl+C, Ctrl+Break and closing the console window stop the server the
// same way SIGTERM does elsewhere.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (g_daemon == nullptr) return FALSE;
  g_daemon->Stop();
  return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT;
}
#endif

// Written whole under another name first: a script polling for the file
// never reads half a number.
void WritePortFile(const std::string& path, int port) {
  std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << port << "\n";
  }
  std::error_code ignored;
  std::filesystem::rename(temporary, path, ignored);
}

// Each connection holds a descriptor: let the cap, not the soft limit
// (often 1024), decide how many clients are served.
void RaiseDescriptorLimit(int maxConnections) {
#ifndef _WIN32
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  rlim_t wanted = static_cast<rlim_t>(maxConnections) + 64;  // plus cache files, CDN sockets, logs
  if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
    setrlimit(RLIMIT_NOFILE, &limit);
  }
#else
  (void)maxConnections;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  AssetdOptions options;
  std::string error;
  if (!ParseAssetdOptions(argc, argv, &options, &error)) {
    if (error.empty()) {
      std::fputs(AssetdUsage(), stdout);
      return 0;
    }
    std::fprintf(stderr, "velmora-assetd: %s\n%s", error.c_str(), AssetdUsage());
    return 2;
  }
#ifdef __GLIBC__
  // Every answer is built in fresh buffers: keep freed memory for the next
  // one instead of handing it back to the system and faulting it in again.
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
#ifndef _WIN32
  std::signal(SIGPIPE, SIG_IGN);  // a client gone mid-answer is an error code, not a death
#endif

  // A cache folder that cannot be made only costs caching: answers still flow.
  std::error_code ignored;
  std::filesystem::create_directories(options.cacheFolder, ignored);
  std::string cachePrefix = (std::filesystem::path(options.cacheFolder) / "").string();
  // Downloads cut off by the end of an earlier run left temporary files.
  RemoveUnfinishedCacheFiles(cachePrefix);
  CdnClientOptions cdnOptions;
  cdnOptions.connectTimeoutMs = static_cast<uint32_t>(options.cdnConnectTimeoutMs);
  cdnOptions.receiveTimeoutMs = static_cast<uint32_t>(options.cdnReceiveTimeoutMs);
  cdnOptions.downloadTimeoutMs = static_cast<uint32_t>(options.cdnDownloadTimeoutMs);
  CHTTPServer responder(options.cdnBaseUrl.empty() ? std::string(kCdnBaseUrl) : options.cdnBaseUrl, cachePrefix,
                        CreatePlatformCdnClient(cdnOptions));

  TransportLimits limits;
  limits.maxConnections = options.maxConnections;
  limits.idleTimeout = std::chrono::milliseconds(options.idleTimeoutMs);
  limits.requestTimeout = std::chrono::milliseconds(options.requestTimeoutMs);
  RaiseDescriptorLimit(options.maxConnections);
  int ioThreads = options.ioThreads;
  if (ioThreads == 0) ioThreads = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 4);
  AssetDaemon daemon(responder, limits, options.workers, ioThreads, options.verbose);
  // Small cached assets are read in microseconds: the I/O thread answers
  // them itself. Misses (downloads) and large files go to the workers.
  daemon.AnswerAtOnceWhen(CacheHitProbe(responder, 256 * 1024));
  if (!daemon.Listen(options.address, options.port, &error)) {
    std::fprintf(stderr, "velmora-assetd: %s\n", error.c_str());
    return 1;
  }
  if (!options.portFile.empty()) WritePortFile(options.portFile, daemon.Port());
#ifdef _WIN32
  g_daemon = &daemon;
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#endif

  if (!daemon.Run()) {
    // Downloads still block some workers; they end only by their time-outs.
    std::fprintf(stderr, "velmora-assetd: stopped with requests still under way\n");
    std::fflush(stdout);
    std::_Exit(0);
  }
  return 0;
}
