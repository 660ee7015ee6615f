#include "app/app_util.h"

#include <windows.h>
#include <shlwapi.h>

#include <clocale>
#include <cstdlib>
#include <vector>

std::wstring AnsiToWide(const std::string& text) {
  // The locale switch is process-wide for the length of the call.
  setlocale(LC_ALL, "chs");
  std::vector<wchar_t> buffer(text.size() + 1, L'\0');
  mbstowcs(buffer.data(), text.c_str(), text.size() + 1);
  std::wstring wide(buffer.data());
  setlocale(LC_ALL, "C");
  return wide;
}

static bool EnsureDirectory(const std::wstring& path) {
  return PathFileExistsW(path.c_str()) || CreateDirectoryW(path.c_str(), nullptr);
}

bool CreateDirectoryPath(const wchar_t* path) {
  if (!path) return false;
  std::wstring full(path);
  if (PathFileExistsW(path)) return true;
  // Each prefix ends with its backslash, outermost first ("C:\", "C:\a\", ...).
  for (size_t i = full.find(L'\\'); i != std::wstring::npos; i = full.find(L'\\', i + 1)) {
    if (!EnsureDirectory(full.substr(0, i + 1))) return false;
  }
  return EnsureDirectory(full);
}
