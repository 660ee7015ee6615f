// Checks for the client's own callbacks: CEF calls each of them on one fixed
// thread, and a callback that runs elsewhere is a wiring fault. They are
// compiled into every build, so the client the tests run is the one players
// run; what a failed check does is chosen at run time (CefThreadCheckFailed).
#ifndef CEF_INCLUDE_WRAPPER_CEF_HELPERS_H_
#define CEF_INCLUDE_WRAPPER_CEF_HELPERS_H_

#include "include/cef_task.h"

// A check on |file|:|line| found the caller off the thread named by |check|.
// With VELMORA_THREAD_CHECKS=fatal in the environment (scripts/wine-env.sh
// sets it for every run under Wine: the tests and scripts/run.sh) the
// process stops at once with STATUS_ASSERTION_FAILURE, which the browser
// process's crash handler turns into a dump. Otherwise the failure goes to
// the debugger's output and the callback goes on: a player's game is not
// ended for it.
void CefThreadCheckFailed(const char* check, const char* file, int line);

#define CEF_REQUIRE_THREAD_(id, name)                                      \
  do {                                                                     \
    if (!CefCurrentlyOn(id)) CefThreadCheckFailed(name, __FILE__, __LINE__); \
  } while (0)
#define CEF_REQUIRE_UI_THREAD() CEF_REQUIRE_THREAD_(TID_UI, "CEF_REQUIRE_UI_THREAD")
#define CEF_REQUIRE_IO_THREAD() CEF_REQUIRE_THREAD_(TID_IO, "CEF_REQUIRE_IO_THREAD")

#endif  // CEF_INCLUDE_WRAPPER_CEF_HELPERS_H_
