#include "app/profile_lock.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>

std::wstring ProfileLockName(const std::wstring& cachePath) {
  std::wstring path = cachePath;
  if (!path.empty()) ::CharLowerBuffW(&path[0], static_cast<DWORD>(path.size()));
  // FNV-1a over the folded path: a mutex name is short and holds no backslash.
  uint64_t hash = 14695981039346656037ull;
  for (wchar_t c : path) {
    if (c == L'/') c = L'\\';
    hash = (hash ^ static_cast<uint16_t>(c)) * 1099511628211ull;
  }
  wchar_t name[64];
  std::swprintf(name, 64, L"Local\\VelmoraProfile-%016llx", static_cast<unsigned long long>(hash));
  return name;
}

bool ClaimBrowserCache(const std::wstring& cachePath) {
  // Held, never closed: the system lets go of it when the process ends,
  // however it ends.
  HANDLE lock = ::CreateMutexW(nullptr, FALSE, ProfileLockName(cachePath).c_str());
  if (lock == nullptr) return true;  // no lock to be had: behave as a lone client
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(lock);
    return false;
  }
  return true;
}
