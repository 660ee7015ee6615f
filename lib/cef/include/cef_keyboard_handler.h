// Keyboard events before and after the page sees them.
#ifndef CEF_INCLUDE_CEF_KEYBOARD_HANDLER_H_
#define CEF_INCLUDE_CEF_KEYBOARD_HANDLER_H_

#include "include/cef_base.h"
#include "include/cef_browser.h"

class CefKeyboardHandler : public virtual CefBase {
 public:
  // |os_event| is the native MSG, or null (character events carry none).
  virtual bool OnPreKeyEvent(CefRefPtr<CefBrowser> browser, const CefKeyEvent& event,
                             CefEventHandle os_event, bool* is_keyboard_shortcut) {
    (void)browser, (void)event, (void)os_event, (void)is_keyboard_shortcut;
    return false;
  }
  virtual bool OnKeyEvent(CefRefPtr<CefBrowser> browser, const CefKeyEvent& event,
                          CefEventHandle os_event) {
    (void)browser, (void)event, (void)os_event;
    return false;
  }
};

#endif  // CEF_INCLUDE_CEF_KEYBOARD_HANDLER_H_
