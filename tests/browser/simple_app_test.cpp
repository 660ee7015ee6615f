// SimpleApp: the process switches.
#include "browser/simple_app.h"

#include <gtest/gtest.h>

#include "cef_doubles.h"

namespace {

const std::vector<std::wstring> kSwitches = {L"--disable-web-security", L"--enable-system-flash",
                                             L"--enable-npapi"};

TEST(SimpleApp, EveryProcessTypeGetsTheThreeSwitchesInOrder) {
  CefRefPtr<SimpleApp> app = new SimpleApp();
  for (const wchar_t* type : {L"", L"renderer", L"gpu-process", L"plugin"}) {
    CefRefPtr<FakeCommandLine> line = new FakeCommandLine();
    app->OnBeforeCommandLineProcessing(type, line.get());
    EXPECT_EQ(line->switches, kSwitches) << "process type " << CefString(type).ToString();
  }
}

TEST(SimpleApp, SwitchesAreAppendedEvenWhenPresent) {
  CefRefPtr<SimpleApp> app = new SimpleApp();
  CefRefPtr<FakeCommandLine> line = new FakeCommandLine();
  line->AppendSwitch(L"--enable-npapi");
  app->OnBeforeCommandLineProcessing(L"", line.get());
  ASSERT_EQ(line->switches.size(), 4u);
  EXPECT_EQ(line->switches[3], L"--enable-npapi");
}

TEST(SimpleApp, IsItsOwnBrowserProcessHandler) {
  CefRefPtr<SimpleApp> app = new SimpleApp();
  CefRefPtr<CefBrowserProcessHandler> handler = app->GetBrowserProcessHandler();
  EXPECT_EQ(dynamic_cast<SimpleApp*>(handler.get()), app.get());
}

}  // namespace
