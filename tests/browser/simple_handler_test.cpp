// SimpleHandler against test doubles at the CEF seam and real windows.
#include "browser/simple_handler.h"

#include <gtest/gtest.h>

#include <thread>

#include "app/app_globals.h"
#include "app/app_messages.h"
#include "cef_doubles.h"
#include "include/test/cef_test_seam.h"
#include "message_recorder.h"

namespace {

class SimpleHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handler = new SimpleHandler();
    g_hLoginWnd = login.hwnd;
    quits = 0;
    CefSetQuitMessageLoopHook([this] { ++quits; });
  }
  void TearDown() override {
    CefSetQuitMessageLoopHook(nullptr);
    g_hLoginWnd = nullptr;
  }

  bool Browse(const std::wstring& url, bool mainFrame = true, bool redirect = false) {
    return handler->OnBeforeBrowse(new FakeBrowser(1), new FakeFrame(mainFrame),
                                   new FakeRequest(url), redirect);
  }
  bool Popup(const std::wstring& url, cef_window_open_disposition_t disposition,
             const std::wstring& frameName, bool gesture, CefWindowInfo& info,
             CefRefPtr<CefClient>& client, CefBrowserSettings& settings) {
    bool noJs = false;
    return handler->OnBeforePopup(new FakeBrowser(1), new FakeFrame(), url, frameName,
                                  disposition, gesture, CefPopupFeatures(), info, client,
                                  settings, &noJs);
  }
  bool Key(UINT message, WPARAM key, bool withNativeEvent = true) {
    MSG msg = {};
    msg.message = message;
    msg.wParam = key;
    CefKeyEvent event;
    bool shortcut = false;
    bool handled = handler->OnPreKeyEvent(new FakeBrowser(1), event,
                                          withNativeEvent ? &msg : nullptr, &shortcut);
    EXPECT_FALSE(shortcut);
    return handled;
  }

  MessageRecorder login, host;
  CefRefPtr<SimpleHandler> handler;
  std::atomic<int> quits{0};
};

// ---- Login marker (OnBeforeBrowse) ----

TEST_F(SimpleHandlerTest, MarkerAnywhereInTheUrlSendsTheWholeUrl) {
  const std::wstring urls[] = {
      L"http://portal.test/g/velmoLogin?u=1&t=abc",         // path
      L"http://portal.test/play?next=/g/velmoLogin&x=1",    // query
      L"http://portal.test/index.htm#/g/velmoLogin",        // fragment
      L"http://a/g/velmoLogin.portal.test/",                // host part
  };
  for (const auto& url : urls) EXPECT_FALSE(Browse(url)) << "navigation must go ahead";
  auto got = login.Messages();
  ASSERT_EQ(got.size(), 4u);
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].message, static_cast<UINT>(WM_LOGIN_URL));
    EXPECT_EQ(got[i].wParam, 0u);
    EXPECT_EQ(got[i].text, urls[i]);
  }
}

TEST_F(SimpleHandlerTest, MarkerIsCaseSensitive) {
  EXPECT_FALSE(Browse(L"http://portal.test/g/velmologin"));
  EXPECT_FALSE(Browse(L"http://portal.test/G/VELMOLOGIN"));
  EXPECT_FALSE(Browse(L"http://portal.test/g/velmo"));
  EXPECT_TRUE(login.Messages().empty());
}

TEST_F(SimpleHandlerTest, MarkerInSubFramesAndRedirectsToo) {
  EXPECT_FALSE(Browse(L"http://portal.test/g/velmoLogin/frame", false, false));
  EXPECT_FALSE(Browse(L"http://portal.test/g/velmoLogin/redirect", true, true));
  auto got = login.Messages();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].text, L"http://portal.test/g/velmoLogin/frame");
  EXPECT_EQ(got[1].text, L"http://portal.test/g/velmoLogin/redirect");
}

TEST_F(SimpleHandlerTest, MarkerBeforeTheLoginWindowExistsGoesNowhere) {
  g_hLoginWnd = nullptr;
  EXPECT_FALSE(Browse(L"http://portal.test/g/velmoLogin"));
  EXPECT_TRUE(login.Messages().empty());
}

TEST_F(SimpleHandlerTest, MarkerFromCefThreadReachesTheWindowThread) {
  // As in the product: the callback runs on another thread and waits while
  // the window's thread handles the message.
  std::atomic<bool> done{false};
  std::thread cef([&] {
    Browse(L"http://portal.test/g/velmoLogin?from=thread");
    done = true;
  });
  while (!done) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(1);
  }
  cef.join();
  auto got = login.Messages();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].text, L"http://portal.test/g/velmoLogin?from=thread");
}

// ---- Popups (OnBeforePopup) ----

TEST_F(SimpleHandlerTest, EveryPopupBecomesOpenExternalAndIsCancelled) {
  const cef_window_open_disposition_t kinds[] = {WOD_NEW_FOREGROUND_TAB, WOD_NEW_BACKGROUND_TAB,
                                                 WOD_NEW_POPUP, WOD_NEW_WINDOW, WOD_UNKNOWN};
  int n = 0;
  for (auto kind : kinds) {
    CefWindowInfo info;
    CefBrowserSettings settings;
    CefRefPtr<CefClient> client = handler.get();
    std::wstring url = L"http://ads.test/" + std::to_wstring(n);
    EXPECT_TRUE(Popup(url, kind, n % 2 ? L"_blank" : L"named", n % 2 == 0, info, client, settings));
    // What CEF offered for the popup is left as it was.
    EXPECT_EQ(client.get(), static_cast<CefClient*>(handler.get()));
    EXPECT_EQ(info.parent_window, nullptr);
    EXPECT_EQ(info.style, 0u);
    ++n;
  }
  auto got = login.Messages();
  ASSERT_EQ(got.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(got[i].message, static_cast<UINT>(WM_OPEN_EXTERNAL));
    EXPECT_EQ(got[i].text, L"http://ads.test/" + std::to_wstring(i));
  }
}

TEST_F(SimpleHandlerTest, PopupWithEmptyUrlSendsNullText) {
  CefWindowInfo info;
  CefBrowserSettings settings;
  CefRefPtr<CefClient> client;
  EXPECT_TRUE(Popup(L"", WOD_NEW_POPUP, L"", false, info, client, settings));
  auto got = login.Messages();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].message, static_cast<UINT>(WM_OPEN_EXTERNAL));
  EXPECT_FALSE(got[0].hasText);
}

TEST_F(SimpleHandlerTest, GameBrowserPopupsGoToTheLoginWindowToo) {
  handler->m_hHostWnd = host.hwnd;
  CefWindowInfo info;
  CefBrowserSettings settings;
  CefRefPtr<CefClient> client;
  EXPECT_TRUE(Popup(L"http://game.test/shop", WOD_NEW_FOREGROUND_TAB, L"", true, info, client,
                    settings));
  EXPECT_EQ(login.Messages().size(), 1u);
  EXPECT_TRUE(host.Messages().empty());
}

// ---- Keys (OnPreKeyEvent) ----

TEST_F(SimpleHandlerTest, EscAndF11OnKeyDownGoToTheHost) {
  handler->m_hHostWnd = host.hwnd;
  EXPECT_FALSE(Key(WM_KEYDOWN, VK_ESCAPE));
  EXPECT_FALSE(Key(WM_KEYDOWN, VK_ESCAPE));  // auto-repeat sends again
  EXPECT_FALSE(Key(WM_KEYDOWN, VK_F11));
  auto got = host.Messages();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].message, static_cast<UINT>(WM_EXIT_FULLSCREEN));
  EXPECT_EQ(got[1].message, static_cast<UINT>(WM_EXIT_FULLSCREEN));
  EXPECT_EQ(got[2].message, static_cast<UINT>(WM_RELOAD_PAGE));
  for (auto& m : got) EXPECT_FALSE(m.hasText);
  EXPECT_TRUE(login.Messages().empty());
}

TEST_F(SimpleHandlerTest, KeyUpCharactersOtherKeysAndNullEventsSendNothing) {
  handler->m_hHostWnd = host.hwnd;
  EXPECT_FALSE(Key(WM_KEYUP, VK_ESCAPE));
  EXPECT_FALSE(Key(WM_KEYUP, VK_F11));
  EXPECT_FALSE(Key(WM_CHAR, VK_ESCAPE));
  EXPECT_FALSE(Key(WM_SYSKEYDOWN, VK_F11));
  EXPECT_FALSE(Key(WM_KEYDOWN, VK_F5));
  EXPECT_FALSE(Key(WM_KEYDOWN, VK_ESCAPE, false));  // character events carry no MSG
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(SimpleHandlerTest, KeysWithoutHostWindowGoNowhere) {
  EXPECT_FALSE(Key(WM_KEYDOWN, VK_ESCAPE));
  EXPECT_FALSE(Key(WM_KEYDOWN, VK_F11));
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_TRUE(login.Messages().empty());
}

// ---- Context menu ----

TEST_F(SimpleHandlerTest, ContextMenuIsCleared) {
  CefRefPtr<FakeMenuModel> model = new FakeMenuModel(7);
  handler->OnBeforeContextMenu(new FakeBrowser(1), new FakeFrame(), new FakeContextMenuParams(),
                               model.get());
  EXPECT_EQ(model->GetCount(), 0);
}

// ---- Titles ----

TEST_F(SimpleHandlerTest, TitleReachesBrowserWindowAndHost) {
  MessageRecorder browserWindow;
  CefRefPtr<FakeBrowser> browser = new FakeBrowser(1, browserWindow.hwnd);
  handler->OnTitleChange(browser.get(), L"Before host");  // host not set yet: lost
  handler->m_hHostWnd = host.hwnd;
  handler->OnTitleChange(browser.get(), L"\u6e38\u620f Game");
  wchar_t text[64] = {0};
  GetWindowTextW(browserWindow.hwnd, text, 64);
  EXPECT_STREQ(text, L"\u6e38\u620f Game");
  auto got = host.Messages();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].message, static_cast<UINT>(WM_PAGE_TITLE));
  EXPECT_EQ(got[0].text, L"\u6e38\u620f Game");
}

TEST_F(SimpleHandlerTest, SharedInstanceTitleOnlyChangesTheBrowserWindow) {
  MessageRecorder browserWindow;
  handler->OnTitleChange(new FakeBrowser(1, browserWindow.hwnd), L"Portal");
  wchar_t text[64] = {0};
  GetWindowTextW(browserWindow.hwnd, text, 64);
  EXPECT_STREQ(text, L"Portal");
  EXPECT_TRUE(login.Messages().empty());
  EXPECT_TRUE(host.Messages().empty());
}

// ---- Error page ----

TEST_F(SimpleHandlerTest, AbortedLoadShowsNoErrorPage) {
  CefRefPtr<FakeFrame> frame = new FakeFrame();
  handler->OnLoadError(new FakeBrowser(1), frame.get(), ERR_ABORTED, L"net::ERR_ABORTED",
                       L"http://portal.test/");
  EXPECT_TRUE(frame->loadedStrings.empty());
}

TEST_F(SimpleHandlerTest, FailedLoadShowsErrorPageUnderTheFailedUrl) {
  CefRefPtr<FakeFrame> frame = new FakeFrame(false);
  handler->OnLoadError(new FakeBrowser(1), frame.get(), ERR_NAME_NOT_RESOLVED,
                       L"net::ERR_NAME_NOT_RESOLVED", L"http://nowhere.test/a?b=1");
  ASSERT_EQ(frame->loadedStrings.size(), 1u);
  EXPECT_EQ(frame->loadedStrings[0],
            L"<html><body bgcolor=\"white\"><h2>Failed to load URL http://nowhere.test/a?b=1 "
            L"with error net::ERR_NAME_NOT_RESOLVED (-105).</h2></body></html>");
  EXPECT_EQ(frame->loadedStringUrls[0], L"http://nowhere.test/a?b=1");
}

TEST_F(SimpleHandlerTest, MarkupInUrlAndErrorTextIsEscaped) {
  CefRefPtr<FakeFrame> frame = new FakeFrame();
  std::wstring url = L"http://x.test/#\"><script>alert('x')</script>&y";
  handler->OnLoadError(new FakeBrowser(1), frame.get(), static_cast<cef_errorcode_t>(-102),
                       L"<b>refused</b>", url);
  ASSERT_EQ(frame->loadedStrings.size(), 1u);
  // A failed page: the error text, then when it is tried again and a link
  // to try at once, whose address is percent-encoded.
  EXPECT_EQ(frame->loadedStrings[0],
            L"<html><body bgcolor=\"white\"><h2>Failed to load URL "
            L"http://x.test/#&quot;&gt;&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&amp;y "
            L"with error &lt;b&gt;refused&lt;/b&gt; (-102).</h2><p>Trying again in 2 seconds.</p>"
            L"<p><a id=\"retry\" href=\"http://x.test/#%22%3E%3Cscript%3Ealert(%27x%27)%3C/script%3E&amp;y\">"
            L"Try again now</a></p></body></html>");
  EXPECT_EQ(frame->loadedStringUrls[0], url);  // the address itself is not altered
}

TEST_F(SimpleHandlerTest, NonAsciiSurvivesTheUtf8Page) {
  CefRefPtr<FakeFrame> frame = new FakeFrame();
  handler->OnLoadError(new FakeBrowser(1), frame.get(), ERR_FAILED, L"\u5931\u8d25",
                       L"http://x.test/\u6e38");
  ASSERT_EQ(frame->loadedStrings.size(), 1u);
  EXPECT_NE(frame->loadedStrings[0].find(L"http://x.test/\u6e38 with error \u5931\u8d25 (-2)"),
            std::wstring::npos);
}

// ---- Browser list ----

TEST_F(SimpleHandlerTest, ListKeepsCreationOrderAndQuitsOnLastClose) {
  EXPECT_EQ(handler->GetFirstBrowser().get(), nullptr);
  handler->OnAfterCreated(new FakeBrowser(1));
  handler->OnAfterCreated(new FakeBrowser(2));
  EXPECT_EQ(handler->GetFirstBrowser()->GetIdentifier(), 1);

  handler->OnBeforeClose(new FakeBrowser(1));
  EXPECT_EQ(quits, 0);
  EXPECT_EQ(handler->GetFirstBrowser()->GetIdentifier(), 2);

  handler->OnBeforeClose(new FakeBrowser(2));
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(handler->GetFirstBrowser().get(), nullptr);
}

TEST_F(SimpleHandlerTest, ClosingTheSecondKeepsTheFirst) {
  handler->OnAfterCreated(new FakeBrowser(1));
  handler->OnAfterCreated(new FakeBrowser(2));
  handler->OnBeforeClose(new FakeBrowser(2));
  EXPECT_EQ(quits, 0);
  EXPECT_EQ(handler->GetFirstBrowser()->GetIdentifier(), 1);
}

TEST_F(SimpleHandlerTest, CloseOfUnknownBrowserRemovesNothing) {
  handler->OnAfterCreated(new FakeBrowser(1));
  handler->OnBeforeClose(new FakeBrowser(9));
  EXPECT_EQ(quits, 0);
  EXPECT_EQ(handler->GetFirstBrowser()->GetIdentifier(), 1);
}

TEST_F(SimpleHandlerTest, CloseOnEmptyListStillQuits) {
  handler->OnBeforeClose(new FakeBrowser(9));
  EXPECT_EQ(quits, 1);
}

TEST_F(SimpleHandlerTest, DestroyingTheClientReleasesItsBrowsers) {
  std::atomic<int> alive{0};
  {
    CefRefPtr<SimpleHandler> client = new SimpleHandler();
    client->OnAfterCreated(new FakeBrowser(1, nullptr, &alive));
    client->OnAfterCreated(new FakeBrowser(2, nullptr, &alive));
    EXPECT_EQ(alive, 2);
  }
  EXPECT_EQ(alive, 0);
}

TEST_F(SimpleHandlerTest, MainThreadReadsWhileCefThreadChangesTheList) {
  const int kBrowsers = 20000;
  std::atomic<int> alive{0};
  std::atomic<bool> reading{false};
  std::atomic<bool> done{false};
  std::thread cef([&] {
    while (!reading) std::this_thread::yield();
    for (int i = 0; i < kBrowsers; ++i) {
      handler->OnAfterCreated(new FakeBrowser(i, nullptr, &alive));
      if (i % 3 == 0) handler->OnAfterCreated(new FakeBrowser(kBrowsers + i, nullptr, &alive));
      handler->OnBeforeClose(new FakeBrowser(i));
      if (i % 3 == 0) handler->OnBeforeClose(new FakeBrowser(kBrowsers + i));
    }
    done = true;
  });
  // Every browser the main thread is handed is whole: one that the CEF
  // thread announced and that is still alive while it is held.
  int reads = 0, found = 0, broken = 0;
  reading = true;
  while (!done) {
    ++reads;
    CefRefPtr<CefBrowser> first = handler->GetFirstBrowser();
    if (!first) continue;
    ++found;
    int id = first->GetIdentifier();
    if (id < 0 || id >= 2 * kBrowsers || alive.load() < 1) ++broken;
  }
  cef.join();
  EXPECT_GT(reads, 0);
  EXPECT_EQ(broken, 0) << "of " << found << " browsers read";
  EXPECT_EQ(handler->GetFirstBrowser().get(), nullptr);
  EXPECT_EQ(alive, 0);
}

TEST_F(SimpleHandlerTest, AHiddenBrowserNeverTakesTheKeyboard) {
  HWND top = CreateWindowExW(0, L"STATIC", L"top", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  HWND page = CreateWindowExW(0, L"STATIC", L"page", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, top, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  CefRefPtr<CefBrowser> browser = new FakeBrowser(4, page);
  // The portal reloaded behind the game, or a focus it asked for before the
  // play button hid it: its window is hidden.
  EXPECT_TRUE(handler->OnSetFocus(browser, FOCUS_SOURCE_NAVIGATION));
  EXPECT_TRUE(handler->OnSetFocus(browser, FOCUS_SOURCE_SYSTEM));
  ShowWindow(top, SW_SHOWNOACTIVATE);
  EXPECT_FALSE(handler->OnSetFocus(browser, FOCUS_SOURCE_NAVIGATION)) << "a shown browser may";
  EXPECT_FALSE(handler->OnSetFocus(browser, FOCUS_SOURCE_SYSTEM)) << "a shown browser may";
  DestroyWindow(top);
}

// ---- Pages brought back ----

// Runs this thread's messages until |host| holds |count| messages or |ms|
// have passed; true when it does.
bool PumpUntil(MessageRecorder& host, size_t count, DWORD ms) {
  DWORD deadline = GetTickCount() + ms;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (host.Messages().size() >= count) return true;
    Sleep(10);
  } while (static_cast<LONG>(deadline - GetTickCount()) > 0);
  return host.Messages().size() >= count;
}

TEST_F(SimpleHandlerTest, AFailedPageIsTriedAgainFromTheMainThreadEachTimeLater) {
  handler->m_hHostWnd = host.hwnd;
  CefRefPtr<FakeBrowser> browser = new FakeBrowser(1);
  handler->OnAfterCreated(browser.get());
  FakeFrame* frame = browser->frame();
  const std::wstring url = L"http://portal.test/index.htm";
  handler->OnBeforeBrowse(browser.get(), frame, new FakeRequest(url), false);
  handler->OnLoadError(browser.get(), frame, static_cast<cef_errorcode_t>(-102), L"net::ERR_CONNECTION_REFUSED",
                       url);
  ASSERT_EQ(frame->loadedStrings.size(), 1u);
  EXPECT_NE(frame->loadedStrings[0].find(L"Trying again in 2 seconds."), std::wstring::npos);
  EXPECT_EQ(frame->loadedStringUrls[0], url);

  // The retry is posted to the host window; its main thread loads the page.
  ASSERT_TRUE(PumpUntil(host, 1, 5000)) << "no retry within 5 s";
  EXPECT_EQ(host.Messages()[0].message, static_cast<UINT>(WM_RECOVER_PAGE));
  EXPECT_TRUE(frame->loadedUrls.empty()) << "nothing is loaded before the host window asks";
  handler->RecoverPage();
  EXPECT_EQ(frame->loadedUrls, std::vector<std::wstring>{url});

  // It fails again: the next try waits twice as long.
  handler->OnBeforeBrowse(browser.get(), frame, new FakeRequest(url), false);
  handler->OnLoadError(browser.get(), frame, static_cast<cef_errorcode_t>(-102), L"net::ERR_CONNECTION_REFUSED",
                       url);
  ASSERT_EQ(frame->loadedStrings.size(), 2u);
  EXPECT_NE(frame->loadedStrings[1].find(L"Trying again in 4 seconds."), std::wstring::npos);

  // F11 on the error page loads the failed page, not the error page again.
  handler->ReloadPage();
  EXPECT_EQ(frame->loadedUrls.size(), 2u);
  EXPECT_EQ(frame->loadedUrls.back(), url);
  EXPECT_EQ(browser->reloads, 0);
  handler->OnBeforeClose(browser.get());
}

TEST_F(SimpleHandlerTest, OnlyTheSiteAnsweringEndsTheRetries) {
  handler->m_hHostWnd = host.hwnd;
  CefRefPtr<FakeBrowser> browser = new FakeBrowser(1);
  handler->OnAfterCreated(browser.get());
  FakeFrame* frame = browser->frame();
  const std::wstring url = L"http://game.test/g/velmoLogin?a=1";
  handler->OnBeforeBrowse(browser.get(), frame, new FakeRequest(url), false);
  handler->OnLoadError(browser.get(), frame, static_cast<cef_errorcode_t>(-324), L"net::ERR_EMPTY_RESPONSE", url);
  // Chromium's own error page and ours commit under the failed address;
  // neither is the site.
  handler->OnLoadStart(browser.get(), frame);
  handler->OnLoadStart(browser.get(), frame);
  ASSERT_TRUE(PumpUntil(host, 1, 5000)) << "the retry went missing";
  handler->RecoverPage();
  ASSERT_EQ(frame->loadedUrls, std::vector<std::wstring>{url});

  // The retry reaches the site: F11 reloads as usual again, and the count
  // of failures starts afresh.
  handler->OnBeforeBrowse(browser.get(), frame, new FakeRequest(url), false);
  handler->OnLoadStart(browser.get(), frame);
  handler->ReloadPage();
  EXPECT_EQ(browser->reloads, 1);
  handler->OnBeforeBrowse(browser.get(), frame, new FakeRequest(url), false);
  handler->OnLoadError(browser.get(), frame, static_cast<cef_errorcode_t>(-324), L"net::ERR_EMPTY_RESPONSE", url);
  EXPECT_NE(frame->loadedStrings.back().find(L"Trying again in 2 seconds."), std::wstring::npos);

  // A failure whose page comes back before its retry leaves no retry.
  handler->OnBeforeBrowse(browser.get(), frame, new FakeRequest(url), false);
  handler->OnLoadStart(browser.get(), frame);
  EXPECT_FALSE(PumpUntil(host, 2, 3000)) << "a retry came after the page was back";
  handler->OnBeforeClose(browser.get());
}

TEST_F(SimpleHandlerTest, AFailedSubFrameIsNotTriedAgain) {
  handler->m_hHostWnd = host.hwnd;
  CefRefPtr<FakeBrowser> browser = new FakeBrowser(1);
  handler->OnAfterCreated(browser.get());
  CefRefPtr<FakeFrame> sub = new FakeFrame(false);
  handler->OnLoadError(browser.get(), sub.get(), ERR_FAILED, L"net::ERR_FAILED", L"http://ads.test/");
  ASSERT_EQ(sub->loadedStrings.size(), 1u);
  EXPECT_EQ(sub->loadedStrings[0].find(L"Trying again"), std::wstring::npos);
  EXPECT_FALSE(PumpUntil(host, 1, 2500));
  handler->OnBeforeClose(browser.get());
}

TEST_F(SimpleHandlerTest, ADeadRendererIsReloadedOnceThenTheGameStoppedPageShows) {
  handler->m_hHostWnd = host.hwnd;
  CefRefPtr<FakeBrowser> browser = new FakeBrowser(3);
  handler->OnAfterCreated(browser.get());
  FakeFrame* frame = browser->frame();
  const std::wstring url = L"http://game.test/g/velmoLogin?a=1&b=2";
  frame->url = url;

  // CEF's UI thread reports the death and goes on: the step is posted, and
  // this thread, which pumps nothing meanwhile, is not waited for.
  std::thread cef([&] { handler->OnRenderProcessTerminated(browser.get(), TS_PROCESS_CRASHED); });
  cef.join();
  EXPECT_TRUE(host.Messages().empty());
  ASSERT_TRUE(PumpUntil(host, 1, 1000));
  EXPECT_EQ(host.Messages()[0].message, static_cast<UINT>(WM_RECOVER_PAGE));
  EXPECT_EQ(browser->reloads, 0) << "nothing is reloaded before the host window asks";
  handler->RecoverPage();
  EXPECT_EQ(browser->reloads, 1);
  handler->OnBeforeBrowse(browser.get(), frame, new FakeRequest(url), false);
  handler->OnLoadStart(browser.get(), frame);

  // Dead again within a minute: a blank page brings a renderer, then the
  // page that says the game stopped, under the game's address.
  for (int death = 2; death <= 3; ++death) {
    handler->OnRenderProcessTerminated(browser.get(), TS_PROCESS_WAS_KILLED);
    ASSERT_TRUE(PumpUntil(host, static_cast<size_t>(death), 1000));
    handler->RecoverPage();
    EXPECT_EQ(browser->reloads, 1) << "death " << death << " reloaded the game";
    EXPECT_EQ(frame->loadedUrls.back(), L"about:blank");
    handler->OnBeforeBrowse(browser.get(), frame, new FakeRequest(L"about:blank"), false);
    handler->OnLoadStart(browser.get(), frame);
    handler->OnLoadEnd(browser.get(), frame, 200);
    ASSERT_EQ(frame->loadedStrings.size(), static_cast<size_t>(death - 1));
    EXPECT_NE(frame->loadedStrings.back().find(L"The game stopped."), std::wstring::npos);
    EXPECT_NE(frame->loadedStrings.back().find(L"href=\"http://game.test/g/velmoLogin?a=1&amp;b=2\""),
              std::wstring::npos);
    EXPECT_EQ(frame->loadedStringUrls.back(), url);
    frame->url = url;
  }
  // F11 there loads the game again.
  handler->ReloadPage();
  EXPECT_EQ(frame->loadedUrls.back(), url);
  handler->OnBeforeClose(browser.get());
}

TEST(SharedClient, ExistsBeforeMainWithNoHostWindow) {
  ASSERT_NE(g_pSimpleHandler.get(), nullptr);
  EXPECT_EQ(g_pSimpleHandler->m_hHostWnd, nullptr);
  EXPECT_EQ(g_pSimpleHandler->GetFirstBrowser().get(), nullptr);
}

}  // namespace
