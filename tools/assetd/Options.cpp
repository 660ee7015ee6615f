#include "Options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool ParseInt(const char* text, int low, int high, int* value) {
  errno = 0;
  char* end = nullptr;
  long parsed = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || parsed < low || parsed > high) return false;
  *value = static_cast<int>(parsed);
  return true;
}

}  // namespace

const char* AssetdUsage() {
  return "usage: velmora-assetd [options]\n"
         "  --cache DIR            cache folder (default: cache)\n"
         "  --cdn URL              CDN base URL, ending in /pnox_cdn/\n"
         "  --address ADDR         loopback address to listen on (default: 127.0.0.1)\n"
         "  --port N               port, 0 for any free one (default: 8080)\n"
         "  --port-file FILE       write the port listened on into FILE\n"
         "  --max-connections N    connections served at once (default: 1024)\n"
         "  --idle-timeout-ms N    close a connection silent this long (default: 30000)\n"
         "  --request-timeout-ms N close a connection whose request is not whole this long\n"
         "                         after its first byte (default: 10000)\n"
         "  --cdn-connect-timeout-ms N, --cdn-receive-timeout-ms N\n"
         "                         give up a CDN download that cannot connect, or that\n"
         "                         receives nothing, this long (default: 60000, 30000)\n"
         "  --cdn-download-timeout-ms N\n"
         "                         end a CDN download still under way this long after it\n"
         "                         began, however steadily it receives (default: 600000)\n"
         "  --workers N            requests handled at once (default: 32)\n"
         "  --io-threads N         threads running the sockets (default: one per core, at most 4)\n"
         "  --verbose              one line per request on stdout\n";
}

bool ParseAssetdOptions(int argc, char** argv, AssetdOptions* options, std::string* error) {
  error->clear();
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    if (name == "--help" || name == "-h") return false;
    if (name == "--verbose") {
      options->verbose = true;
      continue;
    }
    if (i + 1 >= argc) {
      *error = name + " needs a value";
      return false;
    }
    const char* value = argv[++i];
    bool ok = true;
    if (name == "--cache") {
      options->cacheFolder = value;
      ok = !options->cacheFolder.empty();
    } else if (name == "--cdn") {
      options->cdnBaseUrl = value;
      ok = options->cdnBaseUrl.rfind("http://", 0) == 0 || options->cdnBaseUrl.rfind("https://", 0) == 0;
    } else if (name == "--address") {
      options->address = value;
    } else if (name == "--port") {
      ok = ParseInt(value, 0, 65535, &options->port);
    } else if (name == "--port-file") {
      options->portFile = value;
    } else if (name == "--max-connections") {
      ok = ParseInt(value, 1, 100000, &options->maxConnections);
    } else if (name == "--idle-timeout-ms") {
      ok = ParseInt(value, 1, 24 * 3600 * 1000, &options->idleTimeoutMs);
    } else if (name == "--request-timeout-ms") {
      ok = ParseInt(value, 1, 24 * 3600 * 1000, &options->requestTimeoutMs);
    } else if (name == "--cdn-connect-timeout-ms") {
      ok = ParseInt(value, 1, 24 * 3600 * 1000, &options->cdnConnectTimeoutMs);
    } else if (name == "--cdn-receive-timeout-ms") {
      ok = ParseInt(value, 1, 24 * 3600 * 1000, &options->cdnReceiveTimeoutMs);
    } else if (name == "--cdn-download-timeout-ms") {
      ok = ParseInt(value, 1, 24 * 3600 * 1000, &options->cdnDownloadTimeoutMs);
    } else if (name == "--workers") {
      ok = ParseInt(value, 1, 1024, &options->workers);
    } else if (name == "--io-threads") {
      ok = ParseInt(value, 1, 64, &options->ioThreads);
    } else {
      *error = "unknown option " + name;
      return false;
    }
    if (!ok) {
      *error = "bad value for " + name + ": " + value;
      return false;
    }
  }
  return true;
}
