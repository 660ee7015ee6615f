#include "browser/simple_app.h"

#include "browser/operator_sites.h"
#include "browser/site_policy.h"

void SimpleApp::OnBeforeCommandLineProcessing(const CefString& /*process_type*/,
                                              CefRefPtr<CefCommandLine> command_line) {
  // Every process type gets the same switches, whatever it already carries.
  command_line->AppendSwitch("--disable-web-security");
  command_line->AppendSwitch("--enable-system-flash");
  command_line->AppendSwitch("--enable-npapi");
}

bool SimpleApp::OnBeforeNavigation(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> frame,
                                   CefRefPtr<CefRequest> request, NavigationType /*navigation_type*/,
                                   bool /*is_redirect*/) {
  // A data: or about: page never reaches the browser process's request
  // policy: it is refused here, before it could replace the operator's page.
  return !RendererMayNavigate(request->GetURL().ToString(), frame && frame->IsMain());
}

void SimpleApp::OnContextCreated(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> /*frame*/,
                                 CefRefPtr<CefV8Context> context) {
  // Before the page's own scripts: its WebSockets, which the browser
  // process's request policy never sees, keep to the operator's sites.
  static const std::string guard = OperatorSitePolicy().WebSocketGuardScript();
  context->Eval(guard);
}
