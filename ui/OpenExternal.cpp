#include "ui/OpenExternal.h"

#include <shellapi.h>
#include <wchar.h>

#include <string>

bool IsWebAddress(const wchar_t* url) {
  if (url == nullptr) return false;
  const wchar_t* rest = nullptr;
  if (_wcsnicmp(url, L"http://", 7) == 0) {
    rest = url + 7;
  } else if (_wcsnicmp(url, L"https://", 8) == 0) {
    rest = url + 8;
  } else {
    return false;
  }
  // A host must follow, and nothing that a shell could read as a second
  // argument or a line break.
  if (*rest == L'\0' || *rest == L'/' || *rest == L'\\') return false;
  for (const wchar_t* c = url; *c; ++c) {
    if (*c < 0x20 || *c == L'"' || *c == 0x7f) return false;
  }
  return true;
}

bool OpenInSystemBrowser(const wchar_t* url) {
  if (!IsWebAddress(url)) return false;
  HINSTANCE result = ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOW);
  if (reinterpret_cast<INT_PTR>(result) <= 32) {
    // One argument, whatever spaces the address holds (it holds no quote).
    std::wstring argument = L"\"" + std::wstring(url) + L"\"";
    ShellExecuteW(nullptr, L"open", L"iexplore", argument.c_str(), nullptr, SW_SHOW);
  }
  return true;
}
