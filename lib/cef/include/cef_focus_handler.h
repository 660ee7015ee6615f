// Whether a browser may take the keyboard focus.
#ifndef CEF_INCLUDE_CEF_FOCUS_HANDLER_H_
#define CEF_INCLUDE_CEF_FOCUS_HANDLER_H_

#include "include/cef_base.h"
#include "include/cef_browser.h"

typedef cef_focus_source_t FocusSource;

class CefFocusHandler : public virtual CefBase {
 public:
  // Called on the UI thread before the browser takes the focus: CEF asks on
  // every navigation it starts (FOCUS_SOURCE_NAVIGATION) and when the
  // system hands it over. Return true to keep the focus where it is.
  virtual bool OnSetFocus(CefRefPtr<CefBrowser> browser, FocusSource source) {
    (void)browser, (void)source;
    return false;
  }
};

#endif  // CEF_INCLUDE_CEF_FOCUS_HANDLER_H_
