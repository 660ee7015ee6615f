// Checks for the client's own callbacks: CEF calls each of them on one fixed
// thread, and a callback that runs elsewhere is a wiring fault. Active in
// debug builds only.
#ifndef CEF_INCLUDE_WRAPPER_CEF_HELPERS_H_
#define CEF_INCLUDE_WRAPPER_CEF_HELPERS_H_

#include <cassert>

#include "include/cef_task.h"

#define CEF_REQUIRE_UI_THREAD() assert(CefCurrentlyOn(TID_UI))
#define CEF_REQUIRE_IO_THREAD() assert(CefCurrentlyOn(TID_IO))

#endif  // CEF_INCLUDE_WRAPPER_CEF_HELPERS_H_
