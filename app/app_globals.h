// Process-wide state shared by the entry function, the windows and the
// browser clients.
#ifndef VELMORA_APP_APP_GLOBALS_H_
#define VELMORA_APP_APP_GLOBALS_H_

#include <windows.h>

#include "include/internal/cef_ptr.h"

class SimpleHandler;

// The login window; written once at start-up, null until then.
extern HWND g_hLoginWnd;
// The client of the login browser, made during static initialisation.
extern CefRefPtr<SimpleHandler> g_pSimpleHandler;

#endif  // VELMORA_APP_APP_GLOBALS_H_
