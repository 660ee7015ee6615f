// Stands in for a program that the client starts by name: writes the
// arguments it was given, one a line (UTF-8), to the file named in
// VELMORA_ARGS_LOG, so a test can see how its command line was split.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

int wmain() {
  wchar_t log[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"VELMORA_ARGS_LOG", log, MAX_PATH) == 0) return 2;
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  FILE* out = _wfopen(log, L"wb");
  if (!out || !args) return 1;
  for (int i = 1; i < count; ++i) {
    char line[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, args[i], -1, line, sizeof line - 1, nullptr, nullptr);
    std::fprintf(out, "%s\n", line);
  }
  std::fclose(out);
  LocalFree(args);
  return 0;
}
