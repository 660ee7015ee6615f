// The update's two downloads through WinINet: the feed into memory and the
// installer into a file. Only addresses that pass IsAllowedUpdateUrl are
// opened; redirects are not followed (a redirect could lead to an address
// the rules refuse), and the system's proxy settings apply.
#ifndef VELMORA_APP_UPDATE_DOWNLOAD_H_
#define VELMORA_APP_UPDATE_DOWNLOAD_H_

#include <atomic>
#include <cstdint>
#include <string>

enum class DownloadResult {
  kOk,
  kRefused,     // the address fails the rules
  kFailed,      // no answer, an answer other than 200, a read error
  kTooLarge,    // more bytes than the limit
  kIncomplete,  // the connection ended before the announced length
  kTimedOut,    // the deadline passed
  kCancelled,   // |cancel| was set
};

// Reads the whole answer of |url| into |body|, at most |maxBytes|.
DownloadResult DownloadToMemory(const std::string& url, size_t maxBytes, std::string* body);

// Writes the answer of |url| into a new file |path| (replacing one that is
// there), at most |maxBytes|, within |deadlineSeconds|. The file is deleted
// again unless the result is kOk.
DownloadResult DownloadToFile(const std::string& url, const std::wstring& path, uint64_t maxBytes,
                              uint32_t deadlineSeconds, const std::atomic<bool>* cancel);

#endif  // VELMORA_APP_UPDATE_DOWNLOAD_H_
