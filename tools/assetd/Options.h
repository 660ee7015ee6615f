#pragma once
// velmora-assetd's command line.

#include <string>

struct AssetdOptions {
  std::string cacheFolder = "cache";
  std::string cdnBaseUrl;  // empty: the responder's own CDN
  std::string address = "127.0.0.1";
  int port = 8080;         // 0: any free port (see portFile)
  std::string portFile;    // where to write the bound port, for scripts
  bool verbose = false;
  int maxConnections = 1024;
  int idleTimeoutMs = 30000;
  int requestTimeoutMs = 10000;  // a whole request from its first byte
  int cdnConnectTimeoutMs = 60000;  // WinINet's defaults (CdnClientOptions)
  int cdnReceiveTimeoutMs = 30000;  // no progress this long ends a download
  int cdnDownloadTimeoutMs = 600000;  // a whole download, however it trickles
  int workers = 32;        // threads that run requests (downloads block)
  int ioThreads = 0;       // threads that run the sockets; 0: one per core, at most 4
};

// Fills `options` from argv. On a bad command line returns false with a
// message in `error`; `--help` returns false with an empty `error`.
bool ParseAssetdOptions(int argc, char** argv, AssetdOptions* options, std::string* error);

const char* AssetdUsage();
