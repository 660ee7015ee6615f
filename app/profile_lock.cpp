#include "app/profile_lock.h"

#include <windows.h>

#include <cwchar>

uint64_t FoldedPathHash(const std::wstring& path) {
  std::wstring folded = path;
  if (!folded.empty()) ::CharLowerBuffW(&folded[0], static_cast<DWORD>(folded.size()));
  // FNV-1a: short, and holds no character that a name could not.
  uint64_t hash = 14695981039346656037ull;
  for (wchar_t c : folded) {
    if (c == L'/') c = L'\\';
    hash = (hash ^ static_cast<uint16_t>(c)) * 1099511628211ull;
  }
  return hash;
}

std::wstring ProfileLockName(const std::wstring& cachePath) {
  wchar_t name[64];
  std::swprintf(name, 64, L"Local\\VelmoraProfile-%016llx",
                static_cast<unsigned long long>(FoldedPathHash(cachePath)));
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
