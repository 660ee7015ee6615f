// What a failed thread check does (include/wrapper/cef_helpers.h).
#include "include/wrapper/cef_helpers.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

bool ThreadChecksAreFatal() {
  char value[16] = {};
  DWORD length = ::GetEnvironmentVariableA("VELMORA_THREAD_CHECKS", value, sizeof(value));
  return length > 0 && length < sizeof(value) && std::strcmp(value, "fatal") == 0;
}

}  // namespace

void CefThreadCheckFailed(const char* check, const char* file, int line) {
  char text[512];
  std::snprintf(text, sizeof(text), "velmora: %s failed at %s:%d\n", check, file, line);
  ::OutputDebugStringA(text);
  if (ThreadChecksAreFatal()) ::RaiseException(STATUS_ASSERTION_FAILURE, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}
