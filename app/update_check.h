// One update check, from the feed to a verified installer in the staging
// folder, and the start of that installer. The client runs the check on a
// thread of its own (update_client.h); tests run it directly.
#ifndef VELMORA_APP_UPDATE_CHECK_H_
#define VELMORA_APP_UPDATE_CHECK_H_

#include <atomic>
#include <string>

enum class UpdateOutcome {
  kOff,                  // no feed address: updates are off
  kFeedAddressRefused,   // the feed address fails the address rules
  kUnsignedClient,       // the running client is not validly signed (a developer build)
  kNotInstalled,         // no uninstaller beside the client (the portable folder)
  kBusy,                 // another client of this player is checking already
  kFeedUnreachable,      // no feed: no connection, an error answer, a deadline
  kFeedTooLarge,         // a feed over 64 KiB
  kFeedGarbage,          // a feed that does not parse
  kInstallerAddressRefused,
  kNotNewer,             // the feed's version is not newer than the client's
  kDownloadFailed,       // no installer: no connection, an error answer, the deadline
  kIncomplete,           // the download ended before its announced length
  kWrongSize,            // the installer's size is not the feed's
  kWrongHash,            // its SHA-256 is not the feed's
  kInstallerUnsigned,    // no valid Authenticode signature
  kOtherSigner,          // signed, but not with the client's own certificate
  kWrongVersion,         // its version resource is not the feed's version
  kCancelled,            // the client ended first
  kStaged,               // verified and waiting for the client to end
};

// A short name for logs and tests ("staged", "wrong-hash", ...).
const char* UpdateOutcomeName(UpdateOutcome outcome);

struct UpdateCheckSettings {
  std::string feedUrl;         // empty: updates are off
  std::wstring clientExe;      // the running client: its version, its signer and its folder
  std::wstring stagingFolder;  // the player's own folder for downloads
};

struct StagedUpdate {
  std::wstring installer;      // the verified installer in the staging folder
  std::wstring installFolder;  // the client's folder, which it installs over
};

// Runs the whole check. Anything short of kStaged leaves the staging
// folder without a download. |cancel| may be null.
UpdateOutcome CheckForUpdate(const UpdateCheckSettings& settings, const std::atomic<bool>* cancel,
                             StagedUpdate* staged);

// %LOCALAPPDATA%\<product>\Updates.
std::wstring UpdateStagingFolder(const std::wstring& product);

// Starts the staged installer silently as an update over the client's
// folder, and does not wait for it.
bool StartStagedInstaller(const StagedUpdate& staged);

#endif  // VELMORA_APP_UPDATE_CHECK_H_
