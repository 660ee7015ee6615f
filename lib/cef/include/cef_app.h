// The application object and the process-wide entry points of CEF.
#ifndef CEF_INCLUDE_CEF_APP_H_
#define CEF_INCLUDE_CEF_APP_H_

#include "include/cef_base.h"
#include "include/cef_browser_process_handler.h"
#include "include/cef_command_line.h"
#include "include/cef_render_process_handler.h"

class CefApp : public virtual CefBase {
 public:
  // Called in every process before CEF reads its command line;
  // |process_type| is empty in the browser process.
  virtual void OnBeforeCommandLineProcessing(const CefString& process_type,
                                             CefRefPtr<CefCommandLine> command_line) {
    (void)process_type;
    (void)command_line;
  }
  virtual CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() { return nullptr; }
  // Asked in each renderer process.
  virtual CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() { return nullptr; }
};

// Runs a CEF sub-process to its end and returns its exit code, or -1 in the
// browser process. Returns 0 when libcef is missing or was built from other
// headers than these (API hash mismatch), so the caller ends at once.
int CefExecuteProcess(const CefMainArgs& args, CefRefPtr<CefApp> application,
                      void* windows_sandbox_info);
bool CefInitialize(const CefMainArgs& args, const CefSettings& settings,
                   CefRefPtr<CefApp> application, void* windows_sandbox_info);
// Shuts CEF down. A second call, or one without CefInitialize, does nothing.
void CefShutdown();
// Runs CEF's message loop; returns at once when CEF is not initialised.
void CefRunMessageLoop();
void CefQuitMessageLoop();
// Makes this process aware of the system DPI, so that Windows no longer
// stretches its windows and the browsers render at the display's scale.
// Called first thing in every process, before any window or CEF call; does
// nothing when libcef is missing.
void CefEnableHighDPISupport();

#endif  // CEF_INCLUDE_CEF_APP_H_
