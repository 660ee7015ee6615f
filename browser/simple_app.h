// The application object handed to CEF in every process: it adds the
// process switches and otherwise keeps CEF's defaults.
#ifndef VELMORA_BROWSER_SIMPLE_APP_H_
#define VELMORA_BROWSER_SIMPLE_APP_H_

#include <string>

#include "include/cef_app.h"

class SimpleApp : public CefApp, public CefBrowserProcessHandler {
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

 private:
  int m_systemDpi;
  IMPLEMENT_REFCOUNTING(SimpleApp);
};

#endif  // VELMORA_BROWSER_SIMPLE_APP_H_
