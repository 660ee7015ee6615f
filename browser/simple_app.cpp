#include "browser/simple_app.h"

#include <cstdio>

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
