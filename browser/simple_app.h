// The application object handed to CEF in every process: it adds the
// process switches and, in each renderer, keeps the pages' main frames from
// navigating anywhere but to web addresses and their WebSockets on the
// operator's sites; otherwise it keeps CEF's defaults.
#ifndef VELMORA_BROWSER_SIMPLE_APP_H_
#define VELMORA_BROWSER_SIMPLE_APP_H_

#include <string>

#include "include/cef_app.h"
#include "include/cef_render_process_handler.h"

class SimpleApp : public CefApp, public CefBrowserProcessHandler, public CefRenderProcessHandler {
 public:
  // |systemDpi|: the screen's DPI, by which the pages are scaled.
  explicit SimpleApp(int systemDpi = kDefaultDpi) : m_systemDpi(systemDpi) {}

  static const int kDefaultDpi = 96;
  // The device scale factor for a DPI, as the switch writes it: "1.25", "2".
  static std::string ScaleFactorText(int dpi);

  // CefApp
  void OnBeforeCommandLineProcessing(const CefString& process_type,
                                     CefRefPtr<CefCommandLine> command_line) override;
  CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() override { return this; }
  CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() override { return this; }

  // CefRenderProcessHandler
  bool OnBeforeNavigation(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                          CefRefPtr<CefRequest> request, NavigationType navigation_type,
                          bool is_redirect) override;
  void OnContextCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                        CefRefPtr<CefV8Context> context) override;

 private:
  int m_systemDpi;
  IMPLEMENT_REFCOUNTING(SimpleApp);
};

#endif  // VELMORA_BROWSER_SIMPLE_APP_H_
