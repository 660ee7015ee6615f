// The update feed that scripts/package.sh writes beside the installer, and
// the rules every update address must pass. Platform-neutral: the client's
// update check (update_check.h) applies them on Windows, and the host build
// tests them.
#ifndef VELMORA_APP_UPDATE_FEED_H_
#define VELMORA_APP_UPDATE_FEED_H_

#include <cstddef>
#include <cstdint>
#include <string>

// A feed longer than this is not read at all.
constexpr size_t kMaxUpdateFeedBytes = 64 * 1024;
// No installer is larger; a feed that says otherwise is refused.
constexpr uint64_t kMaxUpdateInstallerBytes = 1024ull * 1024 * 1024;

// A version as in a version resource: MAJOR.MINOR.PATCH[.BUILD], each part
// 0 to 65535; a missing fourth part is 0.
struct UpdateVersion {
  uint16_t part[4] = {0, 0, 0, 0};
};

bool ParseUpdateVersion(const std::string& text, UpdateVersion* version);
// Negative, zero or positive as |a| is older than, the same as or newer
// than |b|.
int CompareUpdateVersions(const UpdateVersion& a, const UpdateVersion& b);
std::string UpdateVersionText(const UpdateVersion& version);

// What the feed says.
struct UpdateFeed {
  UpdateVersion version;
  std::string url;     // the installer's address
  uint64_t size = 0;   // the installer's size in bytes
  std::string sha256;  // its SHA-256, 64 lower-case hexadecimal digits
};

enum class FeedParse {
  kOk,
  kGarbage,         // not a feed: a line that is not key=value, a value
                    // that does not parse, a key missing or given twice
  kAddressRefused,  // a feed whose installer address fails IsAllowedUpdateUrl
};

// The feed's text: lines "key=value" (CR LF or LF), blank lines and lines
// starting with "#" ignored, unknown keys ignored. The keys "version",
// "url", "size" and "sha256" must each appear exactly once.
FeedParse ParseUpdateFeed(const std::string& text, UpdateFeed* feed);

// Whether an update may be fetched from |url|: https to any host, or plain
// http only to the loopback test addresses 127.0.0.1 and localhost.
// Nothing else: no file:, no UNC path, no user name in the address, no
// backslash, space, control or non-ASCII character.
bool IsAllowedUpdateUrl(const std::string& url);

// How long the installer's download may take: two minutes, and a second
// more for every 32 KiB of its size (a quarter of a megabit per second).
uint32_t UpdateDownloadDeadlineSeconds(uint64_t size);

#endif  // VELMORA_APP_UPDATE_FEED_H_
