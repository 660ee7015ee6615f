// The wrapper without libcef: strings, reference counting, and both bridge
// directions driven the way libcef drives them.
#include <gtest/gtest.h>

#include "browser/simple_app.h"
#include "browser/simple_handler.h"
#include "fake_c_objects.h"
#include "include/cef_app.h"
#include "include/cef_client.h"
#include "include/cef_task.h"
#include "include/test/cef_test_seam.h"
#include "src/cef_bridges.h"
#include "src/cef_ctocpp.h"

namespace {

// ---- Strings ----

TEST(CefString, ConvertsBetweenUtf8AndUtf16) {
  CefString s(std::string("caf\xC3\xA9 \xE6\xB8\xB8"));
  EXPECT_EQ(s.ToWString(), L"caf\u00e9 \u6e38");
  EXPECT_EQ(s.ToString(), "caf\xC3\xA9 \xE6\xB8\xB8");
}

TEST(CefString, EmptyTextHasANullPointerLikeLibcefStrings) {
  EXPECT_EQ(CefString(L"").c_str(), nullptr);
  EXPECT_EQ(CefString(static_cast<const cef_string_t*>(nullptr)).ToWString(), L"");
  EXPECT_STREQ(CefString(L"x").c_str(), L"x");
}

TEST(CefString, AttachedStringWritesAnOwnedCopyIntoTheStructure) {
  CefSettings settings;
  CefString(&settings.cache_path) = L"C:\\a\\cache\\";
  CefString(&settings.cache_path) = L"C:\\b\\cache\\";  // replaces and frees the first
  ASSERT_NE(settings.cache_path.str, nullptr);
  EXPECT_EQ(std::wstring(settings.cache_path.str, settings.cache_path.length), L"C:\\b\\cache\\");
  EXPECT_NE(settings.cache_path.dtor, nullptr);
  EXPECT_EQ(settings.size, sizeof(cef_settings_t));
}

// ---- Reference counting ----

class Counted : public CefBase {
 public:
  explicit Counted(int* deleted) : deleted_(deleted) {}
  ~Counted() override { ++*deleted_; }

 private:
  int* deleted_;
  IMPLEMENT_REFCOUNTING(Counted);
};

TEST(CefRefPtr, DeletesAtZeroOnly) {
  int deleted = 0;
  {
    CefRefPtr<Counted> a = new Counted(&deleted);
    EXPECT_TRUE(a->HasOneRef());
    {
      CefRefPtr<Counted> b = a;
      EXPECT_FALSE(a->HasOneRef());
    }
    EXPECT_TRUE(a->HasOneRef());
    EXPECT_EQ(deleted, 0);
  }
  EXPECT_EQ(deleted, 1);
}

// ---- C objects handed to us ----

TEST(CToCpp, ProxyReleasesItsReferenceOnce) {
  FakeCBrowser c(7);
  {
    CefRefPtr<CefBrowser> b = CefBrowserFromC(c.Give());
    EXPECT_EQ(b->GetIdentifier(), 7);
    EXPECT_EQ(c.refs, 1);
  }
  EXPECT_EQ(c.refs, 0);
}

TEST(CToCpp, IsSameHandsTheOtherBrowserWithAReference) {
  FakeCBrowser one(1), alsoOne(1), two(2);
  CefRefPtr<CefBrowser> a = CefBrowserFromC(one.Give());
  CefRefPtr<CefBrowser> b = CefBrowserFromC(alsoOne.Give());
  CefRefPtr<CefBrowser> c = CefBrowserFromC(two.Give());
  EXPECT_TRUE(a->IsSame(b));
  EXPECT_FALSE(a->IsSame(c));
  EXPECT_EQ(alsoOne.refs, 1);
  EXPECT_EQ(two.refs, 1);
}

// ---- Our objects handed to libcef ----

class ClientBridgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handler = new SimpleHandler();
    CefSetQuitMessageLoopHook([this] { ++quits; });
  }
  void TearDown() override { CefSetQuitMessageLoopHook(nullptr); }
  int quits = 0;
  CefRefPtr<SimpleHandler> handler;
};

TEST_F(ClientBridgeTest, TablesKeepTheClientAliveUntilReleased) {
  cef_client_t* client = CefClientToC(handler.get());
  EXPECT_FALSE(handler->HasOneRef());
  cef_life_span_handler_t* life = client->get_life_span_handler(client);
  ASSERT_NE(life, nullptr);
  EXPECT_EQ(client->get_jsdialog_handler, nullptr);  // CEF's default dialogs
  EXPECT_EQ(client->get_render_handler, nullptr);
  client->base.release(&client->base);
  EXPECT_FALSE(handler->HasOneRef());
  life->base.release(&life->base);
  EXPECT_TRUE(handler->HasOneRef());
}

TEST(CToCpp, HostFocusReachesTheCTableAndTheHostIsReleased) {
  FakeCBrowser c(3);
  {
    CefRefPtr<CefBrowser> browser = CefBrowserFromC(c.Give());
    browser->GetHost()->SetFocus(true);
    browser->GetHost()->SetFocus(false);
  }
  EXPECT_EQ(c.host.focusCalls, (std::vector<int>{1, 0}));
  EXPECT_EQ(c.host.refs, 0);
  EXPECT_EQ(c.refs, 0);
}

TEST_F(ClientBridgeTest, BrowserListThroughTheCTables) {
  cef_client_t* client = CefClientToC(handler.get());
  cef_life_span_handler_t* life = client->get_life_span_handler(client);
  FakeCBrowser first(1), second(2), closing(1);
  life->on_after_created(life, first.Give());
  life->on_after_created(life, second.Give());
  EXPECT_EQ(first.refs, 1);  // the list keeps exactly one reference
  EXPECT_EQ(handler->GetFirstBrowser()->GetIdentifier(), 1);
  life->on_before_close(life, closing.Give());
  EXPECT_EQ(first.refs, 0);
  EXPECT_EQ(closing.refs, 0);
  EXPECT_EQ(quits, 0);
  life->on_before_close(life, second.Give());
  EXPECT_EQ(second.refs, 0);
  EXPECT_EQ(quits, 1);
  life->base.release(&life->base);
  client->base.release(&client->base);
  EXPECT_TRUE(handler->HasOneRef());
}

TEST_F(ClientBridgeTest, PopupReleasesTheOfferedClientAndCancels) {
  cef_client_t* client = CefClientToC(handler.get());
  cef_life_span_handler_t* life = client->get_life_span_handler(client);
  FakeCBrowser browser(1);
  client->base.add_ref(&client->base);  // the reference that comes with |client|
  cef_client_t* offered = client;
  cef_window_info_t info = {};
  cef_browser_settings_t settings = {};
  settings.size = sizeof(settings);
  cef_popup_features_t features = {};
  int noJs = 0;
  cef_string_t url = CefString(L"http://x.test/").AsBorrowed();
  int cancel = life->on_before_popup(life, browser.Give(), nullptr, &url, nullptr,
                                     WOD_NEW_POPUP, 1, &features, &info, &offered, &settings,
                                     &noJs);
  EXPECT_EQ(cancel, 1);
  EXPECT_EQ(offered, client);  // untouched
  EXPECT_EQ(browser.refs, 0);
  EXPECT_EQ(settings.size, sizeof(settings));
  life->base.release(&life->base);
  client->base.release(&client->base);
  EXPECT_TRUE(handler->HasOneRef());
}

// A handler that lets the popup open with a client of its own choosing.
class ReplacingHandler : public CefClient, public CefLifeSpanHandler {
 public:
  explicit ReplacingHandler(CefRefPtr<CefClient> replacement) : replacement_(replacement) {}
  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return this; }
  bool OnBeforePopup(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, const CefString&,
                     const CefString&, WindowOpenDisposition, bool, const CefPopupFeatures&,
                     CefWindowInfo& windowInfo, CefRefPtr<CefClient>& client,
                     CefBrowserSettings&, bool*) override {
    client = replacement_;
    windowInfo.SetAsPopup(nullptr, L"popup");
    return false;
  }

 private:
  CefRefPtr<CefClient> replacement_;
  IMPLEMENT_REFCOUNTING(ReplacingHandler);
};

TEST_F(ClientBridgeTest, PopupWithAnotherClientHandsItBackWithAReference) {
  CefRefPtr<ReplacingHandler> replacing = new ReplacingHandler(handler.get());
  cef_client_t* client = CefClientToC(replacing.get());
  cef_life_span_handler_t* life = client->get_life_span_handler(client);
  FakeCBrowser browser(1);
  client->base.add_ref(&client->base);
  cef_client_t* offered = client;
  cef_window_info_t info = {};
  cef_browser_settings_t settings = {};
  int noJs = 0;
  EXPECT_EQ(life->on_before_popup(life, browser.Give(), nullptr, nullptr, nullptr, WOD_NEW_POPUP,
                                  0, nullptr, &info, &offered, &settings, &noJs),
            0);
  ASSERT_NE(offered, client);
  ASSERT_NE(offered, nullptr);
  // The window name set by the handler now belongs to libcef's structure.
  EXPECT_EQ(std::wstring(info.window_name.str, info.window_name.length), L"popup");
  CefStringClear(&info.window_name);
  // The new table holds the replacement until libcef lets it go.
  // (ReplacingHandler has no display handler; the replacement has one.)
  cef_display_handler_t* display = offered->get_display_handler(offered);
  ASSERT_NE(display, nullptr);
  display->base.release(&display->base);
  offered->base.release(&offered->base);
  life->base.release(&life->base);
  client->base.release(&client->base);
  EXPECT_TRUE(replacing->HasOneRef());
  replacing = nullptr;  // it held the replacement too
  EXPECT_TRUE(handler->HasOneRef());
}

// Records what reaches OnBeforeResourceLoad and answers as told.
class ResourceRecorder : public CefClient, public CefRequestHandler {
 public:
  CefRefPtr<CefRequestHandler> GetRequestHandler() override { return this; }
  ReturnValue OnBeforeResourceLoad(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame>,
                                   CefRefPtr<CefRequest> request,
                                   CefRefPtr<CefRequestCallback> callback) override {
    browserId = browser ? browser->GetIdentifier() : -1;
    type = request->GetResourceType();
    transition = request->GetTransitionType();
    hadCallback = callback != nullptr;
    return answer;
  }
  ReturnValue answer = RV_CONTINUE;
  int browserId = 0;
  cef_resource_type_t type = RT_MAIN_FRAME;
  cef_transition_type_t transition = TT_LINK;
  bool hadCallback = false;

 private:
  IMPLEMENT_REFCOUNTING(ResourceRecorder);
};

TEST(ClientBridge, ResourceLoadsReachTheClientInTheirSlotAndItsAnswerGoesBack) {
  CefRefPtr<ResourceRecorder> recorder = new ResourceRecorder();
  cef_client_t* client = CefClientToC(recorder.get());
  cef_request_handler_t* requests = client->get_request_handler(client);
  ASSERT_NE(requests, nullptr);
  ASSERT_NE(requests->on_before_resource_load, nullptr);
  EXPECT_EQ(requests->get_resource_handler, nullptr);  // CEF's default
  FakeCBrowser browser(7);
  FakeCRequest request(RT_XHR, static_cast<cef_transition_type_t>(TT_LINK | TT_CLIENT_REDIRECT_FLAG));
  FakeC<cef_request_callback_t> callback;
  recorder->answer = RV_CANCEL;
  EXPECT_EQ(requests->on_before_resource_load(requests, browser.Give(), nullptr, request.Give(), callback.Give()),
            RV_CANCEL);
  EXPECT_EQ(recorder->browserId, 7);
  EXPECT_EQ(recorder->type, RT_XHR);
  EXPECT_EQ(recorder->transition, TT_LINK | TT_CLIENT_REDIRECT_FLAG);
  EXPECT_TRUE(recorder->hadCallback);
  recorder->answer = RV_CONTINUE;
  EXPECT_EQ(requests->on_before_resource_load(requests, browser.Give(), nullptr, request.Give(), nullptr),
            RV_CONTINUE);
  EXPECT_FALSE(recorder->hadCallback);
  // Every counted argument is released once.
  EXPECT_EQ(browser.refs, 0);
  EXPECT_EQ(request.refs, 0);
  EXPECT_EQ(callback.refs, 0);
  requests->base.release(&requests->base);
  client->base.release(&client->base);
  EXPECT_TRUE(recorder->HasOneRef());
}

TEST_F(ClientBridgeTest, TheClientCancelsARequestWhoseAddressItCannotRead) {
  cef_client_t* client = CefClientToC(handler.get());
  cef_request_handler_t* requests = client->get_request_handler(client);
  FakeCBrowser browser(1);
  FakeCRequest request(RT_SCRIPT, TT_LINK);
  EXPECT_EQ(requests->on_before_resource_load(requests, browser.Give(), nullptr, request.Give(), nullptr),
            RV_CANCEL);
  EXPECT_EQ(request.refs, 0);
  requests->base.release(&requests->base);
  client->base.release(&client->base);
  EXPECT_TRUE(handler->HasOneRef());
}

TEST_F(ClientBridgeTest, FocusRequestsReachTheClientWithTheirSource) {
  cef_client_t* client = CefClientToC(handler.get());
  cef_focus_handler_t* focus = client->get_focus_handler(client);
  ASSERT_NE(focus, nullptr);
  EXPECT_EQ(focus->on_take_focus, nullptr) << "CEF's defaults";
  // A browser without a window: nothing hides it, so it may take the focus.
  FakeCBrowser browser(1);
  EXPECT_EQ(focus->on_set_focus(focus, browser.Give(), FOCUS_SOURCE_NAVIGATION), 0);
  EXPECT_EQ(focus->on_set_focus(focus, browser.Give(), FOCUS_SOURCE_SYSTEM), 0);
  EXPECT_EQ(browser.refs, 0);
  EXPECT_EQ(browser.host.refs, 0);
  focus->base.release(&focus->base);
  client->base.release(&client->base);
  EXPECT_TRUE(handler->HasOneRef());
}

TEST_F(ClientBridgeTest, KeyEventWithoutNativeEventAndMenuClear) {
  cef_client_t* client = CefClientToC(handler.get());
  cef_keyboard_handler_t* keys = client->get_keyboard_handler(client);
  FakeCBrowser browser(1);
  cef_key_event_t event = {};
  event.type = KEYEVENT_CHAR;
  int shortcut = 0;
  EXPECT_EQ(keys->on_pre_key_event(keys, browser.Give(), &event, nullptr, &shortcut), 0);
  EXPECT_EQ(shortcut, 0);
  EXPECT_EQ(browser.refs, 0);

  cef_context_menu_handler_t* menu = client->get_context_menu_handler(client);
  FakeCMenuModel model;
  FakeC<cef_context_menu_params_t> params;
  menu->on_before_context_menu(menu, browser.Give(), nullptr, params.Give(), model.Give());
  EXPECT_EQ(model.count, 0);
  EXPECT_EQ(model.refs, 0);
  EXPECT_EQ(params.refs, 0);
  EXPECT_EQ(menu->run_context_menu, nullptr);  // CEF's default
  keys->base.release(&keys->base);
  menu->base.release(&menu->base);
  client->base.release(&client->base);
  EXPECT_TRUE(handler->HasOneRef());
}

TEST(AppBridge, SimpleAppAddsItsSwitchesThroughTheCTable) {
  CefRefPtr<SimpleApp> app = new SimpleApp();
  cef_app_t* table = CefAppToC(app.get());
  FakeCCommandLine line;
  cef_string_t type = CefString(L"renderer").AsBorrowed();
  table->on_before_command_line_processing(table, &type, line.Give());
  EXPECT_EQ(line.switches, (std::vector<std::wstring>{L"--disable-web-security",
                                                      L"--enable-system-flash",
                                                      L"--enable-npapi"}));
  EXPECT_EQ(line.refs, 0);
  cef_browser_process_handler_t* bph = table->get_browser_process_handler(table);
  ASSERT_NE(bph, nullptr);
  bph->base.release(&bph->base);
  table->base.release(&table->base);
  EXPECT_TRUE(app->HasOneRef());
}

TEST(AppBridge, RenderersAskTheAppBeforeEveryNavigation) {
  CefRefPtr<SimpleApp> app = new SimpleApp();
  cef_app_t* table = CefAppToC(app.get());
  cef_render_process_handler_t* renderer = table->get_render_process_handler(table);
  ASSERT_NE(renderer, nullptr);
  ASSERT_NE(renderer->on_before_navigation, nullptr);
  EXPECT_EQ(renderer->on_context_released, nullptr);  // CEF's defaults
  FakeCBrowser browser(1);
  FakeCFrame main(true), sub(false);
  FakeCRequest request(RT_MAIN_FRAME, TT_LINK);  // its address reads as empty: no web address
  EXPECT_EQ(renderer->on_before_navigation(renderer, browser.Give(), main.Give(), request.Give(),
                                           NAVIGATION_OTHER, 0), 1) << "a main frame is kept on web addresses";
  EXPECT_EQ(renderer->on_before_navigation(renderer, browser.Give(), sub.Give(), request.Give(),
                                           NAVIGATION_LINK_CLICKED, 0), 0) << "frames are the browser's to judge";
  EXPECT_EQ(browser.refs, 0);
  EXPECT_EQ(main.refs, 0);
  EXPECT_EQ(sub.refs, 0);
  EXPECT_EQ(request.refs, 0);

  // A new context gets the guard script; what eval hands back is released.
  ASSERT_NE(renderer->on_context_created, nullptr);
  FakeCV8Context context;
  renderer->on_context_created(renderer, browser.Give(), main.Give(), context.Give());
  EXPECT_EQ(context.evals, 1);
  EXPECT_EQ(context.refs, 0);
  EXPECT_EQ(context.result.refs, 0);
  EXPECT_EQ(context.exception.refs, 0);
  EXPECT_EQ(browser.refs, 0);
  renderer->base.release(&renderer->base);
  table->base.release(&table->base);
  EXPECT_TRUE(app->HasOneRef());
}

TEST(AppBridge, TheScaleSwitchTakesItsValueThroughTheCTable) {
  CefRefPtr<SimpleApp> app = new SimpleApp(144);
  cef_app_t* table = CefAppToC(app.get());
  FakeCCommandLine line;
  cef_string_t type = CefString(L"").AsBorrowed();
  table->on_before_command_line_processing(table, &type, line.Give());
  ASSERT_EQ(line.switches.size(), 4u);
  EXPECT_EQ(line.switches[3], L"--force-device-scale-factor=1.5");
  EXPECT_EQ(line.refs, 0);
  table->base.release(&table->base);
}

// ---- Lifecycle without an initialised CEF ----

// A client that records the renderer deaths it is told of.
class DeathRecorder : public CefClient, public CefRequestHandler {
 public:
  CefRefPtr<CefRequestHandler> GetRequestHandler() override { return this; }
  void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser, TerminationStatus status) override {
    deaths.push_back({browser->GetIdentifier(), status});
  }
  std::vector<std::pair<int, TerminationStatus>> deaths;

 private:
  IMPLEMENT_REFCOUNTING(DeathRecorder);
};

TEST(ClientBridge, RendererDeathsReachTheClientThroughTheirSlot) {
  CefRefPtr<DeathRecorder> recorder = new DeathRecorder();
  cef_client_t* client = CefClientToC(recorder.get());
  cef_request_handler_t* requests = client->get_request_handler(client);
  ASSERT_NE(requests, nullptr);
  ASSERT_NE(requests->on_render_process_terminated, nullptr);
  EXPECT_EQ(requests->on_open_urlfrom_tab, nullptr) << "CEF's defaults elsewhere";
  FakeCBrowser browser(5);
  requests->on_render_process_terminated(requests, browser.Give(), TS_PROCESS_CRASHED);
  requests->on_render_process_terminated(requests, browser.Give(), TS_PROCESS_WAS_KILLED);
  ASSERT_EQ(recorder->deaths.size(), 2u);
  EXPECT_EQ(recorder->deaths[0], std::make_pair(5, TS_PROCESS_CRASHED));
  EXPECT_EQ(recorder->deaths[1], std::make_pair(5, TS_PROCESS_WAS_KILLED));
  EXPECT_EQ(browser.refs, 0) << "each browser reference is released";
  requests->base.release(&requests->base);
  client->base.release(&client->base);
  EXPECT_TRUE(recorder->HasOneRef());
}

TEST(Lifecycle, ShutdownAndMessageLoopWithoutInitialiseDoNothing) {
  CefShutdown();
  CefShutdown();
  CefRunMessageLoop();  // returns at once
  CefQuitMessageLoop();
  // CEF still counts as never started: no browser can be asked for, and no
  // thread is told apart as one of CEF's.
  CefRefPtr<SimpleHandler> handler = new SimpleHandler();
  CefWindowInfo info;
  CefBrowserSettings settings;
  EXPECT_FALSE(CefBrowserHost::CreateBrowser(info, handler.get(), L"http://x.test/", settings, nullptr));
  EXPECT_TRUE(CefCurrentlyOn(TID_UI));
  EXPECT_TRUE(CefCurrentlyOn(TID_IO));
  EXPECT_TRUE(handler->HasOneRef()) << "the refused request kept no reference";
}

TEST(CreateBrowserSeam, HookSeesTheRequest) {
  CefRefPtr<SimpleHandler> handler = new SimpleHandler();
  std::wstring seenUrl;
  CefClient* seenClient = nullptr;
  CefSetCreateBrowserHook([&](const CefWindowInfo& info, CefRefPtr<CefClient> client,
                              const CefString& url) {
    seenUrl = url.ToWString();
    seenClient = client.get();
    return info.parent_window == nullptr;
  });
  CefWindowInfo info;
  CefBrowserSettings settings;
  EXPECT_TRUE(CefBrowserHost::CreateBrowser(info, handler.get(), L"http://x.test/", settings, nullptr));
  CefSetCreateBrowserHook(nullptr);
  EXPECT_EQ(seenUrl, L"http://x.test/");
  EXPECT_EQ(seenClient, static_cast<CefClient*>(handler.get()));
  // Without the hook and without an initialised CEF nothing is created.
  EXPECT_FALSE(CefBrowserHost::CreateBrowser(info, handler.get(), L"http://x.test/", settings, nullptr));
}

}  // namespace
