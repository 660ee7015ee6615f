// The product's SimpleApp and SimpleHandler, with logging added for the
// integration tests. Their behaviour is otherwise unchanged.
#ifndef VELMORA_TOOLS_CEFBROWSER_TOOL_CLIENTS_H_
#define VELMORA_TOOLS_CEFBROWSER_TOOL_CLIENTS_H_

#include <atomic>

#include "browser/simple_app.h"
#include "browser/simple_handler.h"

class ToolApp : public SimpleApp {
 public:
  void OnBeforeCommandLineProcessing(const CefString& process_type,
                                     CefRefPtr<CefCommandLine> command_line) override;
};

class ToolHandler : public SimpleHandler {
 public:
  // |dumpErrorPages|: after an error page has loaded, put its body into the
  // title, so the test can read back what the page holds.
  ToolHandler(bool dumpErrorPages, const SitePolicy& policy)
      : SimpleHandler(policy), m_dumpErrorPages(dumpErrorPages) {}

  void OnAfterCreated(CefRefPtr<CefBrowser> browser) override;
  void OnLoadEnd(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                 int httpStatusCode) override;
  void OnLoadError(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                   ErrorCode errorCode, const CefString& errorText,
                   const CefString& failedUrl) override;
  // Log each navigation and each refused request with the client's answer.
  bool OnBeforeBrowse(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                      CefRefPtr<CefRequest> request, bool is_redirect) override;
  ReturnValue OnBeforeResourceLoad(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   CefRefPtr<CefRequest> request,
                                   CefRefPtr<CefRequestCallback> callback) override;

 private:
  bool m_dumpErrorPages;
  std::atomic<bool> m_errorPageShown{false};
};

#endif  // VELMORA_TOOLS_CEFBROWSER_TOOL_CLIENTS_H_
