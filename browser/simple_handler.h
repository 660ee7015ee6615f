// The client of every browser: keeps the list of its browsers, reports
// titles to its host window, shows an error page for failed loads and
// brings failed or dead pages back (PageRecovery), and carries the
// navigation, popup, key and context-menu policy.
#ifndef VELMORA_BROWSER_SIMPLE_HANDLER_H_
#define VELMORA_BROWSER_SIMPLE_HANDLER_H_

#include <windows.h>

#include <list>
#include <mutex>

#include "browser/page_recovery.h"
#include "include/cef_client.h"
#include "include/cef_geolocation_handler.h"
#include "include/cef_jsdialog_handler.h"
#include "include/cef_render_process_handler.h"

class SimpleHandler : public CefClient,
                      public CefDisplayHandler,
                      public CefFocusHandler,
                      public CefLifeSpanHandler,
                      public CefLoadHandler,
                      public CefRequestHandler,
                      public CefJSDialogHandler,
                      public CefGeolocationHandler,
                      public CefRenderProcessHandler,
                      public CefKeyboardHandler,
                      public CefContextMenuHandler {
 public:
  SimpleHandler();
  ~SimpleHandler() override;

  // The first browser created with this client that is still open, or null.
  // Called on the main thread.
  CefRefPtr<CefBrowser> GetFirstBrowser();

  // Main thread, from the host window: the player's reload (F11, on
  // WM_RELOAD_PAGE), and the recovery step that the client posted
  // (WM_RECOVER_PAGE) after a failed load or a dead renderer.
  void ReloadPage();
  void RecoverPage();

  // CefClient
  CefRefPtr<CefContextMenuHandler> GetContextMenuHandler() override { return this; }
  CefRefPtr<CefDisplayHandler> GetDisplayHandler() override { return this; }
  CefRefPtr<CefFocusHandler> GetFocusHandler() override { return this; }
  CefRefPtr<CefKeyboardHandler> GetKeyboardHandler() override { return this; }
  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return this; }
  CefRefPtr<CefLoadHandler> GetLoadHandler() override { return this; }
  CefRefPtr<CefRequestHandler> GetRequestHandler() override { return this; }

  // CefDisplayHandler
  void OnTitleChange(CefRefPtr<CefBrowser> browser, const CefString& title) override;

  // CefFocusHandler
  bool OnSetFocus(CefRefPtr<CefBrowser> browser, FocusSource source) override;

  // CefLifeSpanHandler
  bool OnBeforePopup(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                     const CefString& target_url, const CefString& target_frame_name,
                     WindowOpenDisposition target_disposition, bool user_gesture,
                     const CefPopupFeatures& popupFeatures, CefWindowInfo& windowInfo,
                     CefRefPtr<CefClient>& client, CefBrowserSettings& settings,
                     bool* no_javascript_access) override;
  void OnAfterCreated(CefRefPtr<CefBrowser> browser) override;
  void OnBeforeClose(CefRefPtr<CefBrowser> browser) override;

  // CefLoadHandler
  void OnLoadingStateChange(CefRefPtr<CefBrowser> browser, bool isLoading, bool canGoBack,
                            bool canGoForward) override;
  void OnLoadStart(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame) override;
  void OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                 int httpStatusCode) override;
  void OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                   ErrorCode errorCode, const CefString& errorText,
                   const CefString& failedUrl) override;

  // CefRequestHandler
  bool OnBeforeBrowse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                      CefRefPtr<CefRequest> request, bool is_redirect) override;
  void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser, TerminationStatus status) override;

  // CefKeyboardHandler
  bool OnPreKeyEvent(CefRefPtr<CefBrowser> browser, const CefKeyEvent& event,
                     CefEventHandle os_event, bool* is_keyboard_shortcut) override;

  // CefContextMenuHandler
  void OnBeforeContextMenu(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                           CefRefPtr<CefContextMenuParams> params,
                           CefRefPtr<CefMenuModel> model) override;

  // The window hosting this client's browser; set once by the game window.
  HWND m_hHostWnd;

 private:
  // Changed on CEF's UI thread, read on the main thread.
  std::list<CefRefPtr<CefBrowser>> m_browserList;
  std::mutex m_browserListLock;
  // Retries failed loads and brings dead pages back; posts to m_hHostWnd.
  PageRecovery m_recovery;

  IMPLEMENT_REFCOUNTING(SimpleHandler);
};

#endif  // VELMORA_BROWSER_SIMPLE_HANDLER_H_
