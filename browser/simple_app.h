// The application object handed to CEF in every process: it adds the
// process switches and otherwise keeps CEF's defaults.
#ifndef VELMORA_BROWSER_SIMPLE_APP_H_
#define VELMORA_BROWSER_SIMPLE_APP_H_

#include "include/cef_app.h"

class SimpleApp : public CefApp, public CefBrowserProcessHandler {
 public:
  SimpleApp() = default;

  // CefApp
  void OnBeforeCommandLineProcessing(const CefString& process_type,
                                     CefRefPtr<CefCommandLine> command_line) override;
  CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() override { return this; }

 private:
  IMPLEMENT_REFCOUNTING(SimpleApp);
};

#endif  // VELMORA_BROWSER_SIMPLE_APP_H_
