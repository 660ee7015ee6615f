// Render-process callbacks; only used by an app that offers one.
#ifndef CEF_INCLUDE_CEF_RENDER_PROCESS_HANDLER_H_
#define CEF_INCLUDE_CEF_RENDER_PROCESS_HANDLER_H_

#include "include/cef_base.h"
#include "include/cef_browser.h"
#include "include/cef_request.h"
#include "include/cef_v8.h"

class CefRenderProcessHandler : public virtual CefBase {
 public:
  typedef cef_navigation_type_t NavigationType;

  // Called in the renderer before every navigation that Blink starts, also
  // those that never reach the network (data:, about:). Returning true
  // cancels it. Pages that the browser loads as strings (CefFrame::
  // LoadString) are not asked about.
  virtual bool OnBeforeNavigation(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                  CefRefPtr<CefRequest> request, NavigationType navigation_type,
                                  bool is_redirect) {
    (void)browser, (void)frame, (void)request, (void)navigation_type, (void)is_redirect;
    return false;
  }

  // Called in the renderer when a frame's JavaScript context has been made,
  // before any of the page's scripts runs in it.
  virtual void OnContextCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                CefRefPtr<CefV8Context> context) {
    (void)browser, (void)frame, (void)context;
  }
};

#endif  // CEF_INCLUDE_CEF_RENDER_PROCESS_HANDLER_H_
