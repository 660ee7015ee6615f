#pragma once
// Writing one cache file so that no reader, crash or power cut can leave a
// partial one under its name, and clearing what interrupted writes left.

#include <cstddef>
#include <cstdio>
#include <string>

// Writes the bytes under a temporary name beside `path`, flushes them to
// the disk, and only then renames the file into place. False, with nothing
// left behind, when any step fails.
bool WriteCacheFile(const std::string& path, const char* data, size_t length);

// Removes the temporary files of writes that never finished (the process
// ended between writing and renaming) from the folder a cache prefix
// names. Only names WriteCacheFile makes are touched. Returns how many.
size_t RemoveUnfinishedCacheFiles(const std::string& cachePrefix);

// The two steps whose order keeps a power cut from leaving an empty or
// short file as a valid entry. Tests swap them to watch that order.
struct CacheFileSteps {
  bool (*flushToDisk)(std::FILE* file);
  bool (*rename)(const std::string& from, const std::string& to);
};
CacheFileSteps& CacheFileStepsInUse();
