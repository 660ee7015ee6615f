#include "app/update_client.h"

#include <windows.h>

#include <atomic>
#include <vector>

#include "app/update_check.h"
#include "update_address.h"

namespace {

// How long the ending client waits for a check that is still running (a
// download is abandoned, verification finishes well within it).
const DWORD kFinishWaitMs = 3000;

struct UpdateRun {
  UpdateCheckSettings settings;
  std::atomic<bool> cancel{false};
  UpdateOutcome outcome = UpdateOutcome::kCancelled;
  StagedUpdate staged;
};

UpdateRun* g_updateRun = nullptr;
HANDLE g_updateThread = nullptr;

DWORD WINAPI RunUpdateCheck(void* parameter) {
  UpdateRun* run = static_cast<UpdateRun*>(parameter);
  run->outcome = CheckForUpdate(run->settings, &run->cancel, &run->staged);
  return 0;
}

std::wstring ThisExecutable() {
  std::vector<wchar_t> path(32768);
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  return length > 0 && length < path.size() ? std::wstring(path.data(), length) : std::wstring();
}

}  // namespace

void StartUpdateCheck() {
  if (g_updateRun || sizeof(VELMORA_UPDATE_FEED_URL) <= 1) return;
  UpdateRun* run = new UpdateRun();
  run->settings.feedUrl = VELMORA_UPDATE_FEED_URL;
  run->settings.clientExe = ThisExecutable();
  run->settings.stagingFolder = UpdateStagingFolder(VELMORA_UPDATE_PRODUCT);
  if (run->settings.clientExe.empty() || run->settings.stagingFolder.empty()) {
    delete run;
    return;
  }
  HANDLE thread = CreateThread(nullptr, 0, RunUpdateCheck, run, 0, nullptr);
  if (!thread) {
    delete run;
    return;
  }
  // The download must not take the processor from the portal or the game.
  SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
  g_updateRun = run;
  g_updateThread = thread;
}

void ApplyUpdateAtExit() {
  if (!g_updateThread) return;
  g_updateRun->cancel = true;
  // A check still busy is left to the end of the process (its partial
  // download is cleared by the next start).
  if (WaitForSingleObject(g_updateThread, kFinishWaitMs) != WAIT_OBJECT_0) return;
  CloseHandle(g_updateThread);
  g_updateThread = nullptr;
  if (g_updateRun->outcome == UpdateOutcome::kStaged) StartStagedInstaller(g_updateRun->staged);
  delete g_updateRun;
  g_updateRun = nullptr;
}
