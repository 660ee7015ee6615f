// One client per browser profile. Chromium cannot share a cache folder
// between two processes: the second one moves the first one's profile aside
// and starts an empty one, and the player's cookies are lost.
#ifndef VELMORA_APP_PROFILE_LOCK_H_
#define VELMORA_APP_PROFILE_LOCK_H_

#include <cstdint>
#include <string>

// A hash of |path| that is the same for every spelling Windows treats as
// the same folder (letter case, / or \).
uint64_t FoldedPathHash(const std::wstring& path);

// The name of the lock for |cachePath|, built on FoldedPathHash.
std::wstring ProfileLockName(const std::wstring& cachePath);

// True when no other client holds |cachePath|; this process then holds it
// until it ends. False when another running client already does.
bool ClaimBrowserCache(const std::wstring& cachePath);

#endif  // VELMORA_APP_PROFILE_LOCK_H_
