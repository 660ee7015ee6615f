#include "browser/simple_app.h"

void SimpleApp::OnBeforeCommandLineProcessing(const CefString& /*process_type*/,
                                              CefRefPtr<CefCommandLine> command_line) {
  // Every process type gets the same switches, whatever it already carries.
  command_line->AppendSwitch("--disable-web-security");
  command_line->AppendSwitch("--enable-system-flash");
  command_line->AppendSwitch("--enable-npapi");
}
