#include "browser/simple_app.h"

#include <cstdio>

#include "browser/operator_sites.h"
#include "browser/site_policy.h"

std::string SimpleApp::ScaleFactorText(int dpi) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", static_cast<double>(dpi) / kDefaultDpi);
  std::string factor(text);
  factor.erase(factor.find_last_not_of('0') + 1);
  if (!factor.empty() && factor.back() == '.') factor.pop_back();
  return factor;
}

void SimpleApp::OnBeforeCommandLineProcessing(const CefString& /*process_type*/,
                                              CefRefPtr<CefCommandLine> command_line) {
  // Every process type gets the same switches, whatever it already carries.
  command_line->AppendSwitch("--disable-web-security");
  command_line->AppendSwitch("--enable-system-flash");
  command_line->AppendSwitch("--enable-npapi");
  // Pages render at the factor by which the windows scale, the system DPI /
  // 96: this Chromium would leave 125% at 1.0 by itself. At 96 DPI nothing.
  if (m_systemDpi != kDefaultDpi) {
    command_line->AppendSwitchWithValue("force-device-scale-factor", ScaleFactorText(m_systemDpi));
  }
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
