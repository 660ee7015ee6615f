// Our objects as C tables for libcef; each result carries one reference that
// passes to the receiver. Also used by the wrapper's own tests.
#ifndef CEF_SRC_CEF_BRIDGES_H_
#define CEF_SRC_CEF_BRIDGES_H_

#include "include/cef_app.h"
#include "include/cef_client.h"
#include "include/internal/cef_c_interfaces.h"

cef_app_t* CefAppToC(CefRefPtr<CefApp> app);
cef_client_t* CefClientToC(CefRefPtr<CefClient> client);

#endif  // CEF_SRC_CEF_BRIDGES_H_
