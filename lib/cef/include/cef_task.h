// CEF's threads, as the client sees them.
#ifndef CEF_INCLUDE_CEF_TASK_H_
#define CEF_INCLUDE_CEF_TASK_H_

#include "include/internal/cef_c_types.h"

typedef cef_thread_id_t CefThreadId;

// Whether the calling thread is the named CEF thread. Until CefInitialize
// has succeeded there are no CEF threads to tell apart (unit tests drive
// the callbacks themselves), and every thread answers true.
bool CefCurrentlyOn(CefThreadId threadId);

#endif  // CEF_INCLUDE_CEF_TASK_H_
