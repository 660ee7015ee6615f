// The page's context menu. Operations not declared here keep CEF's defaults.
#ifndef CEF_INCLUDE_CEF_CONTEXT_MENU_HANDLER_H_
#define CEF_INCLUDE_CEF_CONTEXT_MENU_HANDLER_H_

#include "include/cef_base.h"
#include "include/cef_browser.h"
#include "include/cef_menu_model.h"

// What was clicked; the client passes it on without reading it.
class CefContextMenuParams : public virtual CefBase {};

class CefContextMenuHandler : public virtual CefBase {
 public:
  virtual void OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   CefRefPtr<CefContextMenuParams> params,
                                   CefRefPtr<CefMenuModel> model) {
    (void)browser, (void)frame, (void)params, (void)model;
  }
};

#endif  // CEF_INCLUDE_CEF_CONTEXT_MENU_HANDLER_H_
