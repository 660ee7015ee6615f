// Browser display state: title, address, status.
#ifndef CEF_INCLUDE_CEF_DISPLAY_HANDLER_H_
#define CEF_INCLUDE_CEF_DISPLAY_HANDLER_H_

#include "include/cef_base.h"
#include "include/cef_browser.h"

class CefDisplayHandler : public virtual CefBase {
 public:
  virtual void OnAddressChange(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                               const CefString& url) {
    (void)browser, (void)frame, (void)url;
  }
  virtual void OnTitleChange(CefRefPtr<CefBrowser> browser, const CefString& title) {
    (void)browser, (void)title;
  }
  virtual void OnStatusMessage(CefRefPtr<CefBrowser> browser, const CefString& value) {
    (void)browser, (void)value;
  }
  virtual bool OnConsoleMessage(CefRefPtr<CefBrowser> browser, const CefString& message,
                                const CefString& source, int line) {
    (void)browser, (void)message, (void)source, (void)line;
    return false;
  }
};

#endif  // CEF_INCLUDE_CEF_DISPLAY_HANDLER_H_
