// Where the player's browser profile lives. The design puts it in "cache"
// under the working folder; when that folder cannot hold it (read-only, a
// file in the way) the player's cookies and saved games would silently live
// in memory only, so the profile moves to a per-user folder instead.
#ifndef VELMORA_APP_CACHE_FOLDER_H_
#define VELMORA_APP_CACHE_FOLDER_H_

#include <string>

// Whether |folder| (ending with a backslash) exists or can be made, and a
// file can be written in it.
bool FolderIsWritable(const std::wstring& folder);

// The per-user profile folder for the client installed in |installFolder|:
// |localAppData|\Velmora\Profiles\<hash of the install folder>\cache\, one
// for each install folder so that two installs never share a profile.
std::wstring FallbackCachePath(const std::wstring& localAppData, const std::wstring& installFolder);

// |preferred| when it is writable, else the per-user folder of this install
// when that is, else "" (CEF then keeps the profile in memory).
std::wstring ChooseBrowserCache(const std::wstring& preferred);

#endif  // VELMORA_APP_CACHE_FOLDER_H_
