#include "app/cache_folder.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>

#include "app/app_util.h"
#include "app/cef_startup.h"
#include "app/profile_lock.h"

bool FolderIsWritable(const std::wstring& folder) {
  if (folder.empty() || !CreateDirectoryPath(folder.c_str())) return false;
  // Creating the folder says nothing of writing in it, and a file named like
  // the folder passes for one on some systems: write a file to be sure.
  // One name per process: two clients starting together must not fail
  // each other's probe.
  std::wstring probe = folder + L"write-probe-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
  HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

std::wstring FallbackCachePath(const std::wstring& localAppData, const std::wstring& installFolder) {
  wchar_t key[17];
  std::swprintf(key, 17, L"%016llx", static_cast<unsigned long long>(FoldedPathHash(installFolder)));
  return localAppData + L"\\Velmora\\Profiles\\" + key + L"\\cache\\";
}

std::wstring ChooseBrowserCache(const std::wstring& preferred) {
  if (FolderIsWritable(preferred)) return preferred;
  wchar_t localAppData[MAX_PATH] = {0};
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                localAppData))) {
    return std::wstring();
  }
  std::wstring fallback = FallbackCachePath(localAppData, ExecutableDirectory());
  return FolderIsWritable(fallback) ? fallback : std::wstring();
}
