// A browser and its host side (the native window, creation and closing).
#ifndef CEF_INCLUDE_CEF_BROWSER_H_
#define CEF_INCLUDE_CEF_BROWSER_H_

#include "include/cef_base.h"
#include "include/cef_frame.h"

class CefBrowserHost;
class CefClient;

class CefBrowser : public virtual CefBase {
 public:
  virtual CefRefPtr<CefBrowserHost> GetHost() = 0;
  virtual void Reload() = 0;
  virtual int GetIdentifier() = 0;
  virtual bool IsSame(CefRefPtr<CefBrowser> that) = 0;
  virtual CefRefPtr<CefFrame> GetMainFrame() = 0;
};

class CefBrowserHost : public virtual CefBase {
 public:
  // Asks CEF for a new browser; it is made asynchronously on CEF's UI thread
  // and announced through CefLifeSpanHandler::OnAfterCreated.
  static bool CreateBrowser(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client,
                            const CefString& url, const CefBrowserSettings& settings,
                            void* request_context);

  virtual void CloseBrowser(bool force_close) = 0;
  // Gives the browser the keyboard focus (true) or takes it away (false).
  // May be called on any thread; CEF carries it out on its UI thread.
  virtual void SetFocus(bool focus) = 0;
  virtual CefWindowHandle GetWindowHandle() = 0;
};

#endif  // CEF_INCLUDE_CEF_BROWSER_H_
