#include "app/update_check.h"

#include <windows.h>
#include <shlobj.h>

#include "app/update_download.h"
#include "app/update_feed.h"
#include "app/update_verify.h"

namespace {

const wchar_t kUninstaller[] = L"uninstall.exe";

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/")); }

bool FileExists(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

uint64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Deletes the files of the staging folder (downloads of earlier runs,
// installers already run) and, when that leaves them empty, the folder
// and its product folder.
void ClearStaging(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
  RemoveDirectoryW(FolderOf(folder).c_str());
}

// One check at a time per staging folder: a second client of the same
// player leaves the first one's download alone.
HANDLE ClaimStaging(const std::wstring& folder) {
  // A mutex name holds no backslash after its namespace.
  std::wstring path = folder;
  for (wchar_t& c : path) {
    if (c == L'\\') c = L'/';
  }
  if (!path.empty()) CharLowerBuffW(&path[0], static_cast<DWORD>(path.size()));
  HANDLE mutex = CreateMutexW(nullptr, FALSE, (L"Local\\VelmoraUpdate-" + path).c_str());
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return nullptr;
  }
  return mutex ? mutex : INVALID_HANDLE_VALUE;  // no mutex to be had: check as a lone client
}

UpdateOutcome FeedOutcome(DownloadResult result) {
  if (result == DownloadResult::kTooLarge) return UpdateOutcome::kFeedTooLarge;
  if (result == DownloadResult::kRefused) return UpdateOutcome::kFeedAddressRefused;
  return UpdateOutcome::kFeedUnreachable;
}

UpdateOutcome InstallerOutcome(DownloadResult result) {
  switch (result) {
    case DownloadResult::kTooLarge: return UpdateOutcome::kWrongSize;
    case DownloadResult::kIncomplete: return UpdateOutcome::kIncomplete;
    case DownloadResult::kCancelled: return UpdateOutcome::kCancelled;
    case DownloadResult::kRefused: return UpdateOutcome::kInstallerAddressRefused;
    default: return UpdateOutcome::kDownloadFailed;
  }
}

// The installer at |path| against the feed and the client's signer.
UpdateOutcome Verify(const std::wstring& path, const UpdateFeed& feed, const std::string& clientSigner) {
  if (FileSize(path) != feed.size) return UpdateOutcome::kWrongSize;
  if (FileSha256(path) != feed.sha256) return UpdateOutcome::kWrongHash;
  std::string signer = SignerCertificate(path);
  if (signer.empty()) return UpdateOutcome::kInstallerUnsigned;
  if (signer != clientSigner) return UpdateOutcome::kOtherSigner;
  UpdateVersion version;
  if (!FileVersionOf(path, &version) || CompareUpdateVersions(version, feed.version) != 0) {
    return UpdateOutcome::kWrongVersion;
  }
  return UpdateOutcome::kStaged;
}

}  // namespace

const char* UpdateOutcomeName(UpdateOutcome outcome) {
  switch (outcome) {
    case UpdateOutcome::kOff: return "off";
    case UpdateOutcome::kFeedAddressRefused: return "feed-address-refused";
    case UpdateOutcome::kUnsignedClient: return "unsigned-client";
    case UpdateOutcome::kNotInstalled: return "not-installed";
    case UpdateOutcome::kBusy: return "busy";
    case UpdateOutcome::kFeedUnreachable: return "feed-unreachable";
    case UpdateOutcome::kFeedTooLarge: return "feed-too-large";
    case UpdateOutcome::kFeedGarbage: return "feed-garbage";
    case UpdateOutcome::kInstallerAddressRefused: return "installer-address-refused";
    case UpdateOutcome::kNotNewer: return "not-newer";
    case UpdateOutcome::kDownloadFailed: return "download-failed";
    case UpdateOutcome::kIncomplete: return "incomplete";
    case UpdateOutcome::kWrongSize: return "wrong-size";
    case UpdateOutcome::kWrongHash: return "wrong-hash";
    case UpdateOutcome::kInstallerUnsigned: return "installer-unsigned";
    case UpdateOutcome::kOtherSigner: return "other-signer";
    case UpdateOutcome::kWrongVersion: return "wrong-version";
    case UpdateOutcome::kCancelled: return "cancelled";
    case UpdateOutcome::kStaged: return "staged";
  }
  return "?";
}

UpdateOutcome CheckForUpdate(const UpdateCheckSettings& settings, const std::atomic<bool>* cancel,
                             StagedUpdate* staged) {
  if (settings.feedUrl.empty()) return UpdateOutcome::kOff;
  if (!IsAllowedUpdateUrl(settings.feedUrl)) return UpdateOutcome::kFeedAddressRefused;
  // A developer build, or a client whose signature no longer holds, never
  // updates itself: the installer's signer is compared with this one.
  std::string clientSigner = SignerCertificate(settings.clientExe);
  if (clientSigner.empty()) return UpdateOutcome::kUnsignedClient;
  std::wstring installFolder = FolderOf(settings.clientExe);
  if (!FileExists(installFolder + L"\\" + kUninstaller)) return UpdateOutcome::kNotInstalled;
  UpdateVersion current;
  if (!FileVersionOf(settings.clientExe, &current)) return UpdateOutcome::kNotNewer;

  HANDLE claim = ClaimStaging(settings.stagingFolder);
  if (!claim) return UpdateOutcome::kBusy;
  ClearStaging(settings.stagingFolder);
  auto refuse = [&](UpdateOutcome outcome) {
    ClearStaging(settings.stagingFolder);
    if (claim != INVALID_HANDLE_VALUE) CloseHandle(claim);
    return outcome;
  };

  std::string text;
  DownloadResult fetched = DownloadToMemory(settings.feedUrl, kMaxUpdateFeedBytes, &text);
  if (fetched != DownloadResult::kOk) return refuse(FeedOutcome(fetched));
  UpdateFeed feed;
  FeedParse parsed = ParseUpdateFeed(text, &feed);
  if (parsed == FeedParse::kGarbage) return refuse(UpdateOutcome::kFeedGarbage);
  if (parsed == FeedParse::kAddressRefused) return refuse(UpdateOutcome::kInstallerAddressRefused);
  if (CompareUpdateVersions(feed.version, current) <= 0) return refuse(UpdateOutcome::kNotNewer);

  SHCreateDirectoryExW(nullptr, settings.stagingFolder.c_str(), nullptr);
  std::string version = UpdateVersionText(feed.version);
  std::wstring name = L"velmora-" + std::wstring(version.begin(), version.end()) + L"-setup.exe";
  std::wstring partial = settings.stagingFolder + L"\\partial-" + name;
  std::wstring installer = settings.stagingFolder + L"\\" + name;
  DownloadResult downloaded =
      DownloadToFile(feed.url, partial, feed.size, UpdateDownloadDeadlineSeconds(feed.size), cancel);
  if (downloaded != DownloadResult::kOk) return refuse(InstallerOutcome(downloaded));
  if (cancel && cancel->load()) return refuse(UpdateOutcome::kCancelled);
  UpdateOutcome verified = Verify(partial, feed, clientSigner);
  if (verified != UpdateOutcome::kStaged) return refuse(verified);
  // Only a verified installer carries its own name.
  if (!MoveFileExW(partial.c_str(), installer.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return refuse(UpdateOutcome::kDownloadFailed);
  }
  // The claim stays with this process until it ends, so that no other
  // client clears the installer before it runs.
  staged->installer = installer;
  staged->installFolder = installFolder;
  return UpdateOutcome::kStaged;
}

std::wstring UpdateStagingFolder(const std::wstring& product) {
  wchar_t local[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local))) return {};
  return std::wstring(local) + L"\\" + product + L"\\Updates";
}

bool StartStagedInstaller(const StagedUpdate& staged) {
  // /D= comes last and unquoted, as NSIS reads it.
  std::wstring command = L"\"" + staged.installer + L"\" /S /UPDATE /D=" + staged.installFolder;
  std::wstring folder = FolderOf(staged.installer);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(staged.installer.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}
