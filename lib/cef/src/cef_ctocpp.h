// C++ proxies over the C objects that libcef hands us. A proxy adopts one
// reference of its C object and releases it when the proxy dies.
#ifndef CEF_SRC_CEF_CTOCPP_H_
#define CEF_SRC_CEF_CTOCPP_H_

#include "include/cef_browser.h"
#include "include/cef_command_line.h"
#include "include/cef_context_menu_handler.h"
#include "include/cef_frame.h"
#include "include/cef_menu_model.h"
#include "include/cef_request.h"
#include "include/cef_v8.h"
#include "include/internal/cef_c_interfaces.h"

// Each adopts the reference that |s| carries; a null |s| gives null.
CefRefPtr<CefBrowser> CefBrowserFromC(cef_browser_t* s);
CefRefPtr<CefBrowserHost> CefBrowserHostFromC(cef_browser_host_t* s);
CefRefPtr<CefFrame> CefFrameFromC(cef_frame_t* s);
CefRefPtr<CefRequest> CefRequestFromC(cef_request_t* s);
CefRefPtr<CefRequestCallback> CefRequestCallbackFromC(cef_request_callback_t* s);
CefRefPtr<CefV8Context> CefV8ContextFromC(cef_v8context_t* s);
CefRefPtr<CefCommandLine> CefCommandLineFromC(cef_command_line_t* s);
CefRefPtr<CefMenuModel> CefMenuModelFromC(cef_menu_model_t* s);
CefRefPtr<CefContextMenuParams> CefContextMenuParamsFromC(cef_context_menu_params_t* s);

#endif  // CEF_SRC_CEF_CTOCPP_H_
