// Navigation decisions. Operations not declared here keep CEF's defaults.
#ifndef CEF_INCLUDE_CEF_REQUEST_HANDLER_H_
#define CEF_INCLUDE_CEF_REQUEST_HANDLER_H_

#include "include/cef_base.h"
#include "include/cef_browser.h"
#include "include/cef_request.h"

class CefRequestHandler : public virtual CefBase {
 public:
  // Returning true cancels the navigation.
  virtual bool OnBeforeBrowse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                              CefRefPtr<CefRequest> request, bool is_redirect) {
    (void)browser, (void)frame, (void)request, (void)is_redirect;
    return false;
  }

  typedef cef_termination_status_t TerminationStatus;

  // The renderer process of |browser| ended unexpectedly: it crashed, was
  // killed, or ended with an error code. Called on CEF's UI thread.
  virtual void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser, TerminationStatus status) {
    (void)browser, (void)status;
  }
};

#endif  // CEF_INCLUDE_CEF_REQUEST_HANDLER_H_
