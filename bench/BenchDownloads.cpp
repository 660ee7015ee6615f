// Downloads of the given paths from a loopback CDN through FetchAndStore,
// against the curl program fetching the same URL to a file, in alternating
// rounds in this one run. curl is timed both as a whole process and by its
// own transfer time (-w %{time_total}), which leaves out its start-up.
// FetchAndStore is timed twice: as it is, flushing the cache file to the
// disk before its rename, and with the flush left to the system (as curl
// leaves it), which shows what that durability costs.
//   bench_downloads CDN_BASE ROUNDS PATH...
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "CacheFile.h"
#include "HTTPServer.h"
#include "OutBuf.h"

extern char** environ;

namespace {

// Runs curl to a file; its wall time, and its own transfer time.
bool RunCurl(const std::string& url, const std::string& file, double* wall, double* transfer) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  std::vector<std::string> args = {"curl", "-s", "-f", "-o", file, "-w", "%{time_total}", url};
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  double start = NowSeconds();
  pid_t pid = 0;
  int failed = posix_spawnp(&pid, "curl", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  std::string output;
  char buffer[256];
  ssize_t got;
  while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<size_t>(got));
  close(pipeFds[0]);
  int status = 0;
  if (failed == 0) waitpid(pid, &status, 0);
  *wall = NowSeconds() - start;
  *transfer = std::atof(output.c_str());
  return failed == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The file handed to the system, not waited for on the disk.
bool FlushToSystemOnly(std::FILE* file) { return std::fflush(file) == 0; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench_downloads CDN_BASE ROUNDS PATH...\n");
    return 2;
  }
  std::string cdnBase = argv[1];
  int rounds = std::atoi(argv[2]);
  char folder[] = "/tmp/velmora-bench-dl-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  std::string prefix = std::string(folder) + "/";
  struct RemoveFolder {
    const char* path;
    ~RemoveFolder() { rmdir(path); }
  } removeFolder{folder};  // also when a download fails
  CHTTPServer server(cdnBase, prefix);
  std::string curlFile = prefix + "curl-output";

  std::printf("%-14s %13s %13s %12s %12s %9s %9s %13s\n", "download", "FetchAndStore", "(no flush)", "curl (proc)",
              "curl (xfer)", "vs proc", "vs xfer", "no flush/xfer");
  const CacheFileSteps durable = CacheFileStepsInUse();
  std::vector<double> ours;
  bool allWithin = true;
  for (int i = 3; i < argc; ++i) {
    std::string path = argv[i];
    std::vector<double> fetch, fetchNoFlush, curlWall, curlTransfer;
    for (int round = 0; round < rounds; ++round) {
      for (bool flushed : {true, false}) {
        CacheFileStepsInUse().flushToDisk = flushed ? durable.flushToDisk : FlushToSystemOnly;
        COutBuf body;
        body.SetGrowBy(256);
        std::string status = "200 OK";
        double start = NowSeconds();
        bool complete = server.FetchAndStore(path, &body, &status);
        (flushed ? fetch : fetchNoFlush).push_back(NowSeconds() - start);
        if (!complete) {
          std::fprintf(stderr, "FetchAndStore of %s failed (%s)\n", path.c_str(), status.c_str());
          return 1;
        }
        std::remove(server.CacheFilePath(path).c_str());
      }
      CacheFileStepsInUse() = durable;
      double wall = 0, transfer = 0;
      if (!RunCurl(cdnBase + path, curlFile, &wall, &transfer)) {
        std::fprintf(stderr, "curl of %s failed\n", path.c_str());
        return 1;
      }
      curlWall.push_back(wall);
      curlTransfer.push_back(transfer);
      std::remove(curlFile.c_str());
    }
    double our = Median(fetch);
    ours.push_back(our);
    double versusProcess = our / Median(curlWall);
    double versusTransfer = our / Median(curlTransfer);
    // Against curl's own transfer time: 1.5x for the first (smallest)
    // download, where fixed costs weigh most, 1.2x for the larger ones.
    allWithin = allWithin && versusTransfer <= (i == 3 ? 1.5 : 1.2);
    std::printf("%-14s %10.2f ms %10.2f ms %9.2f ms %9.2f ms %8.2fx %8.2fx %12.2fx\n", path.c_str(), our * 1e3,
                Median(fetchNoFlush) * 1e3, Median(curlWall) * 1e3, Median(curlTransfer) * 1e3, versusProcess,
                versusTransfer, Median(fetchNoFlush) / Median(curlTransfer));
  }
  if (ours.size() >= 2) {
    std::printf("cost of the last to the first download: %.1fx\n", ours.back() / ours.front());
  }
  std::printf("target: within 1.5x of curl's transfer time for the first, 1.2x for the others: %s\n",
              allWithin ? "met" : "NOT met");
  return 0;
}
