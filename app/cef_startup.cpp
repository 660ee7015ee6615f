#include "app/cef_startup.h"

#include <windows.h>

std::wstring ReadCurrentDirectory() {
  DWORD needed = GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return std::wstring();
  std::wstring directory(needed, L'\0');
  DWORD length = GetCurrentDirectoryW(needed, &directory[0]);
  // The folder may have changed between the two calls: then it did not fit.
  if (length == 0 || length >= needed) return std::wstring();
  directory.resize(length);
  return directory;
}

std::wstring ExecutableDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // truncated: a deep install folder
  }
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring BrowserCachePath(const std::wstring& directory) {
  std::wstring base = directory.empty() ? ExecutableDirectory() : directory;
  return base + L"\\cache\\";
}

void FillCefSettings(CefSettings& settings, const std::wstring& cachePath) {
  settings.size = sizeof(cef_settings_t);
  settings.multi_threaded_message_loop = 1;
  CefString(&settings.cache_path) = cachePath;
  CefString(&settings.locale) = "zh-CN";
}
