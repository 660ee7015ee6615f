// The browser-process settings that start-up hands to CefInitialize.
#ifndef VELMORA_APP_CEF_STARTUP_H_
#define VELMORA_APP_CEF_STARTUP_H_

#include <string>

#include "include/cef_app.h"

// The current directory, read with the wide API so that any folder name
// survives, or "" when it cannot be read.
std::wstring ReadCurrentDirectory();

// The folder of this executable, without a trailing backslash.
std::wstring ExecutableDirectory();

// |directory| + "\cache\", taken as it is (a drive root gives two
// backslashes in a row). An empty |directory| falls back to the executable's
// folder, so the cache never lands in a folder relative to nothing.
std::wstring BrowserCachePath(const std::wstring& directory);

// Zero-filled settings with size, the multi-threaded message loop, the cache
// path and the "zh-CN" locale; every other field keeps its default.
void FillCefSettings(CefSettings& settings, const std::wstring& cachePath);

#endif  // VELMORA_APP_CEF_STARTUP_H_
