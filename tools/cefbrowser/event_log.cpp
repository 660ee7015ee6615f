#include "event_log.h"

#include <windows.h>

void LogEvent(const std::wstring& line) {
  wchar_t path[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"VELMORA_EVENT_LOG", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  std::wstring text = line + L"\n";
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                  nullptr, 0, nullptr, nullptr);
  std::string utf8(bytes, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0], bytes,
                      nullptr, nullptr);
  // Appending whole lines in one write keeps lines of several processes apart.
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
}
