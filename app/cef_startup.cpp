#include "app/cef_startup.h"

#include <windows.h>

#include "app/app_util.h"

std::string ReadCurrentDirectory() {
  char buffer[1000] = {0};
  DWORD length = GetCurrentDirectoryA(sizeof(buffer), buffer);
  // 0 is a failure; a length of the buffer size or more means it did not fit.
  if (length == 0 || length >= sizeof(buffer)) return std::string();
  return std::string(buffer, length);
}

std::string ExecutableDirectory() {
  char path[MAX_PATH] = {0};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length < MAX_PATH ? length : 0);
  size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

std::wstring BrowserCachePath(const std::string& directory) {
  std::string base = directory.empty() ? ExecutableDirectory() : directory;
  return AnsiToWide(base + "\\cache\\");
}

void FillCefSettings(CefSettings& settings, const std::wstring& cachePath) {
  settings.size = sizeof(cef_settings_t);
  settings.multi_threaded_message_loop = 1;
  CefString(&settings.cache_path) = cachePath;
  CefString(&settings.locale) = "zh-CN";
}
