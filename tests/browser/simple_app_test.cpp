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

TEST(SimpleApp, AboveNinetySixDpiEveryProcessRendersAtTheSystemScale) {
  const std::pair<int, const wchar_t*> kScales[] = {
      {120, L"1.25"}, {144, L"1.5"}, {168, L"1.75"}, {192, L"2"}, {110, L"1.1458"}};
  for (const auto& scale : kScales) {
    CefRefPtr<SimpleApp> app = new SimpleApp(scale.first);
    for (const wchar_t* type : {L"", L"renderer", L"gpu-process"}) {
      CefRefPtr<FakeCommandLine> line = new FakeCommandLine();
      app->OnBeforeCommandLineProcessing(type, line.get());
      ASSERT_EQ(line->switches.size(), 4u) << scale.first;
      EXPECT_EQ(std::vector<std::wstring>(line->switches.begin(), line->switches.begin() + 3), kSwitches);
      EXPECT_EQ(line->switches[3], std::wstring(L"--force-device-scale-factor=") + scale.second) << scale.first;
    }
  }
  // At 96 DPI the command line is the one it always was.
  CefRefPtr<FakeCommandLine> line = new FakeCommandLine();
  CefRefPtr<SimpleApp> app = new SimpleApp(96);
  app->OnBeforeCommandLineProcessing(L"renderer", line.get());
  EXPECT_EQ(line->switches, kSwitches);
}

TEST(SimpleApp, IsItsOwnBrowserProcessHandler) {
  CefRefPtr<SimpleApp> app = new SimpleApp();
  CefRefPtr<CefBrowserProcessHandler> handler = app->GetBrowserProcessHandler();
  EXPECT_EQ(dynamic_cast<SimpleApp*>(handler.get()), app.get());
}

}  // namespace
