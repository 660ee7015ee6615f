// SimpleApp: the process switches.
#include "browser/simple_app.h"

#include <gtest/gtest.h>

#include "browser/operator_sites.h"
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

TEST(SimpleApp, KeepsMainFramesOnWebAddressesInTheRenderer) {
  CefRefPtr<SimpleApp> app = new SimpleApp();
  CefRefPtr<CefRenderProcessHandler> renderer = app->GetRenderProcessHandler();
  ASSERT_EQ(dynamic_cast<SimpleApp*>(renderer.get()), app.get());
  auto cancels = [&](const wchar_t* url, bool mainFrame, CefRenderProcessHandler::NavigationType type) {
    return renderer->OnBeforeNavigation(new FakeBrowser(1), new FakeFrame(mainFrame), new FakeRequest(url), type,
                                        false);
  };
  // Pages that would replace the operator's without the browser process
  // ever seeing a request.
  EXPECT_TRUE(cancels(L"data:text/html,<h1>Sign in again</h1>", true, NAVIGATION_OTHER));
  EXPECT_TRUE(cancels(L"data:text/html;base64,PGgxPg==", true, NAVIGATION_LINK_CLICKED));
  EXPECT_TRUE(cancels(L"about:version", true, NAVIGATION_OTHER));
  EXPECT_TRUE(cancels(L"blob:http://evil.example/1", true, NAVIGATION_OTHER));
  EXPECT_TRUE(cancels(L"view-source:http://www.velmora.example/", true, NAVIGATION_OTHER));
  // Web addresses go on to the browser process's request policy, which
  // also hands clicked foreign links to the system browser.
  EXPECT_FALSE(cancels(L"http://www.velmora.example/wd/wd-vlmr/index.htm", true, NAVIGATION_RELOAD));
  EXPECT_FALSE(cancels(L"http://evil.example/", true, NAVIGATION_LINK_CLICKED));
  // Frames are judged in the browser process.
  EXPECT_FALSE(cancels(L"data:text/html,<p>frame</p>", false, NAVIGATION_OTHER));
  EXPECT_FALSE(cancels(L"about:blank", false, NAVIGATION_OTHER));
}

TEST(SimpleApp, PutsTheOperatorsWebSocketGuardIntoEveryNewContext) {
  CefRefPtr<SimpleApp> app = new SimpleApp();
  CefRefPtr<FakeV8Context> first = new FakeV8Context(), second = new FakeV8Context();
  app->OnContextCreated(new FakeBrowser(1), new FakeFrame(true), first.get());
  app->OnContextCreated(new FakeBrowser(1), new FakeFrame(false), second.get());
  ASSERT_EQ(first->evaluated.size(), 1u);
  ASSERT_EQ(second->evaluated.size(), 1u);
  EXPECT_EQ(CefString(first->evaluated[0]).ToString(), OperatorSitePolicy().WebSocketGuardScript());
  EXPECT_EQ(second->evaluated[0], first->evaluated[0]);
}

}  // namespace
