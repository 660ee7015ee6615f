#include "CacheFile.h"

#include <atomic>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

const char kTemporaryMark[] = ".tmp";

// A name no other writer uses at the same moment: the cache name, the
// mark, the process id and a counter.
std::string TemporaryNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
#ifdef _WIN32
  unsigned long process = GetCurrentProcessId();
#else
  unsigned long process = static_cast<unsigned long>(getpid());
#endif
  return path + kTemporaryMark + std::to_string(process) + "-" + std::to_string(counter++);
}

// 32 lower-case hex digits, the mark, digits, "-", digits.
bool IsTemporaryName(const std::string& name) {
  const size_t markAt = 32;
  if (name.size() < markAt + 4 + 3 || name.compare(markAt, 4, kTemporaryMark) != 0) return false;
  for (size_t i = 0; i < markAt; ++i) {
    char c = name[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  std::string tail = name.substr(markAt + 4);
  size_t dash = tail.find('-');
  if (dash == 0 || dash == std::string::npos || dash + 1 == tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    if (i != dash && !(tail[i] >= '0' && tail[i] <= '9')) return false;
  }
  return true;
}

// fflush hands the bytes to the system; only FlushFileBuffers (fdatasync:
// the bytes and the size, without the times) waits until they are on the
// disk.
bool FlushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
#ifdef _WIN32
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != FALSE;
#else
  return fdatasync(fileno(file)) == 0;
#endif
}

bool Rename(const std::string& from, const std::string& to) {
#ifdef _WIN32
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

CacheFileSteps& CacheFileStepsInUse() {
  static CacheFileSteps steps{FlushToDisk, Rename};
  return steps;
}

bool WriteCacheFile(const std::string& path, const char* data, size_t length) {
  std::string temporary = TemporaryNameFor(path);
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) return false;
  const CacheFileSteps& steps = CacheFileStepsInUse();
  bool written = length == 0 || std::fwrite(data, 1, length, file) == length;
  written = written && steps.flushToDisk(file);
  written = (std::fclose(file) == 0) && written;
  if (!written || !steps.rename(temporary, path)) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

size_t RemoveUnfinishedCacheFiles(const std::string& cachePrefix) {
  namespace fs = std::filesystem;
  std::error_code failure;
  fs::path folder = cachePrefix.empty() ? fs::path(".") : fs::path(cachePrefix);
  size_t removed = 0;
  fs::directory_iterator entry(folder, failure);
  for (; !failure && entry != fs::directory_iterator(); entry.increment(failure)) {
    std::string name = entry->path().filename().string();
    std::error_code ignored;
    if (IsTemporaryName(name) && entry->is_regular_file(ignored) && fs::remove(entry->path(), ignored)) ++removed;
  }
  return removed;
}
