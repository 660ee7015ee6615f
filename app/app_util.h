// Small helpers shared by start-up and the windows.
#ifndef VELMORA_APP_APP_UTIL_H_
#define VELMORA_APP_APP_UTIL_H_

#include <string>

// Narrow text in code page 936 (GBK; ASCII is a subset) to UTF-16.
std::wstring AnsiToWide(const std::string& text);

// Creates every missing folder along a backslash-separated path; true when
// the whole path exists at the end.
bool CreateDirectoryPath(const wchar_t* path);

#endif  // VELMORA_APP_APP_UTIL_H_
