// The login window and the login browser window: the hand-over to the game
// window, the way back, and the glued login browser.
#include <gtest/gtest.h>

#include <algorithm>

#include "../browser/cef_doubles.h"
#include "app/app_globals.h"
#include "app/app_messages.h"
#include "audio/CCoreAudioVolume.h"
#include "browser/simple_handler.h"
#include "include/test/cef_test_seam.h"
#include "ui/DuiFormFullScreen.h"
#include "ui/DuiFormGame.h"
#include "ui/DuiFormLogin.h"
#include "ui/DuiFormLoginBrowser.h"
#include "window_test_support.h"

namespace {

const wchar_t kPortal[] = L"http://www.velmora.example/wd/wd-vlmr/index.htm";

class LoginWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    login = new CDuiFormLogin();
    g_hLoginWnd = login->Create(nullptr, _T("Velmora"), WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                                WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr);
    ASSERT_NE(g_hLoginWnd, nullptr);
    PumpMessages();
  }

  void TearDown() override {
    CefSetQuitMessageLoopHook(nullptr);
    if (portal) g_pSimpleHandler->OnBeforeClose(portal);
    portal = nullptr;
    DestroyWindow(g_hLoginWnd);
    PumpMessages();
    delete login;
    g_hLoginWnd = nullptr;
  }

  // The portal browser comes into being, as CEF would announce it, with a
  // window of its own in the login browser window when asked for.
  FakeFrame* AnnouncePortal(bool withWindow = false) {
    HWND window = withWindow ? MakeBrowserWindow(login->m_pLoginBrowser->GetHWND(), RECT{0, 0, 630, 385}) : nullptr;
    portal = new FakeBrowser(7, window);
    g_pSimpleHandler->OnAfterCreated(portal);
    return static_cast<FakeFrame*>(portal->GetMainFrame().get());
  }

  LRESULT HandOver(const wchar_t* url) {
    LRESULT result = SendMessageW(g_hLoginWnd, WM_LOGIN_URL, 0, reinterpret_cast<LPARAM>(url));
    PumpMessages();
    return result;
  }

  // Runs the pending messages and counts those of one kind on the way:
  // posted to |window|, or thread messages (WM_QUIT) when it is null.
  int PumpCounting(UINT message, HWND window) {
    int count = 0;
    for (int round = 0; round < 5; ++round) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == message && msg.hwnd == window) ++count;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      Sleep(10);
    }
    return count;
  }

  WindowTestEnvironment env;
  CDuiFormLogin* login = nullptr;
  CefRefPtr<CefBrowser> portal;
};

TEST_F(LoginWindowTest, F11AndADeadPortalReloadThePortal) {
  AnnouncePortal(true);
  FakeBrowser* browser = static_cast<FakeBrowser*>(portal.get());
  // The login browser window hosts the portal's client.
  ASSERT_EQ(g_pSimpleHandler->m_hHostWnd, login->m_pLoginBrowser->GetHWND());
  MSG key = {};
  key.message = WM_KEYDOWN;
  key.wParam = VK_F11;
  bool shortcut = false;
  g_pSimpleHandler->OnPreKeyEvent(portal, CefKeyEvent(), &key, &shortcut);
  EXPECT_EQ(browser->reloads, 1) << "F11 in the portal";
  g_pSimpleHandler->OnRenderProcessTerminated(portal, TS_PROCESS_WAS_KILLED);
  PumpMessages();
  EXPECT_EQ(browser->reloads, 2) << "the portal's renderer died";
}

TEST_F(LoginWindowTest, StartsThePortalInItsOwnedBrowserWindow) {
  ASSERT_NE(login->m_pLoginBrowser, nullptr);
  HWND browserWindow = login->m_pLoginBrowser->GetHWND();
  EXPECT_EQ(GetWindow(browserWindow, GW_OWNER), g_hLoginWnd);
  EXPECT_TRUE(IsWindowVisible(g_hLoginWnd));
  EXPECT_TRUE(IsWindowVisible(browserWindow));
  ASSERT_EQ(env.requests.size(), 1u);
  EXPECT_EQ(env.requests[0].url, kPortal);
  EXPECT_EQ(env.requests[0].parent, browserWindow);
  EXPECT_EQ(env.requests[0].client.get(), static_cast<CefClient*>(g_pSimpleHandler.get()));
  const RECT portalArea = {0, 0, 630, 385};
  EXPECT_TRUE(EqualRect(&env.requests[0].area, &portalArea));
  EXPECT_EQ(env.requests[0].style, 0x56010000u);
  // The check box and the combo are hidden at creation.
  ASSERT_NE(login->m_pCheckBox, nullptr);
  EXPECT_FALSE(login->m_pCheckBox->IsVisible());
  ASSERT_NE(login->m_pCombo, nullptr);
  EXPECT_FALSE(login->m_pCombo->IsVisible());
}

TEST_F(LoginWindowTest, TheLoginBrowserFollowsTheWindow) {
  HWND browserWindow = login->m_pLoginBrowser->GetHWND();
  SetWindowPos(g_hLoginWnd, nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  PumpMessages();
  RECT outer = WindowRect(g_hLoginWnd);
  RECT inner = WindowRect(browserWindow);
  EXPECT_EQ(inner.left - outer.left, 250);
  EXPECT_EQ(inner.top - outer.top, 198);
}

// Where the login browser window is put, from the login window's top-left
// corner, each time it is moved.
std::vector<POINT>* g_placements = nullptr;

LRESULT CALLBACK RecordPlacement(int code, WPARAM wParam, LPARAM lParam) {
  const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && g_placements && call->message == WM_WINDOWPOSCHANGED) {
    const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(call->lParam);
    wchar_t title[32] = {};
    GetWindowTextW(call->hwnd, title, 32);
    HWND owner = GetWindow(call->hwnd, GW_OWNER);
    if (!(pos->flags & SWP_NOMOVE) && owner && std::wstring(title) == L"LoginBrowser") {
      RECT outer = WindowRect(owner);
      g_placements->push_back(POINT{pos->x - outer.left, pos->y - outer.top});
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(LoginWindowTest, TheFirstPlacementIsFurtherIn) {
  // A second login window, made as start-up makes one, watched from the
  // first placement on. Windows ends every creation with a WM_MOVE, so the
  // window is glued at the later offset before creation returns.
  std::vector<POINT> placements;
  g_placements = &placements;
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, RecordPlacement, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  CDuiFormLogin second;
  HWND hwnd = second.Create(nullptr, _T("Velmora"), WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                            WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, nullptr);
  UnhookWindowsHookEx(hook);
  g_placements = nullptr;
  ASSERT_NE(hwnd, nullptr);
  ASSERT_GE(placements.size(), 1u);
  EXPECT_EQ(placements.front().x, 426);
  EXPECT_EQ(placements.front().y, 190);
  for (size_t i = 1; i < placements.size(); ++i) {
    EXPECT_EQ(placements[i].x, 250) << i;
    EXPECT_EQ(placements[i].y, 198) << i;
  }
  DestroyWindow(hwnd);
  PumpMessages();
}

TEST_F(LoginWindowTest, TheLoginBrowserWindowSwallowsKeyMessages) {
  HWND browserWindow = login->m_pLoginBrowser->GetHWND();
  for (UINT message = 0x100; message <= 0x109; ++message) {
    EXPECT_EQ(SendMessageW(browserWindow, message, 'A', 0), 0) << message;
  }
}

TEST_F(LoginWindowTest, HandOverHidesTheLoginResetsThePortalAndOpensOneGameWindow) {
  FakeFrame* portalFrame = AnnouncePortal();
  HandOver(L"http://game.velmora.example/g/velmoLogin?user=a");

  EXPECT_FALSE(IsWindowVisible(g_hLoginWnd));
  EXPECT_FALSE(IsWindowVisible(login->m_pLoginBrowser->GetHWND()));
  ASSERT_EQ(portalFrame->loadedUrls.size(), 1u);
  EXPECT_EQ(portalFrame->loadedUrls[0], kPortal);

  CDuiFormGame* game = login->m_pGameWnd;
  ASSERT_NE(game, nullptr);
  const std::wstring start = L"http://game.velmora.example/g/velmoLogin?user=a&loginType=5";
  ASSERT_EQ(env.requests.size(), 2u);
  EXPECT_EQ(env.requests[1].url, start);
  EXPECT_EQ(game->m_startUrl, start);
  EXPECT_EQ(game->m_hCreatorWnd, g_hLoginWnd);
  EXPECT_TRUE(IsWindowVisible(game->GetHWND()));
  RECT work = WorkArea();
  EXPECT_TRUE(EqualRect(&game->m_rcArea, &work));

  // A second finished login makes no second game window.
  HandOver(L"http://game.velmora.example/g/velmoLogin?user=b");
  EXPECT_EQ(login->m_pGameWnd, game);
  EXPECT_EQ(env.requests.size(), 2u);
  EXPECT_EQ(portalFrame->loadedUrls.size(), 2u);
}

TEST_F(LoginWindowTest, AHandOverBeforeThePortalExistsStillOpensTheGame) {
  HandOver(L"http://game.velmora.example/g/velmoLogin?x");
  ASSERT_NE(login->m_pGameWnd, nullptr);
  EXPECT_EQ(env.requests.back().url, L"http://game.velmora.example/g/velmoLogin?x&loginType=5");
}

TEST_F(LoginWindowTest, ClosingTheGameBringsTheLoginBackAndTheNextLoginOpensAFreshGame) {
  AnnouncePortal();
  HandOver(L"http://game.velmora.example/g/velmoLogin?one");
  HWND firstGame = login->m_pGameWnd->GetHWND();
  ASSERT_TRUE(ClickControl(login->m_pGameWnd->GetPaintManager(), firstGame, L"closebtn"));
  PumpMessages(5);
  EXPECT_TRUE(IsWindowVisible(g_hLoginWnd));
  EXPECT_TRUE(IsWindowVisible(login->m_pLoginBrowser->GetHWND()));
  EXPECT_EQ(login->m_pGameWnd, nullptr);
  EXPECT_FALSE(IsWindow(firstGame));

  HandOver(L"http://game.velmora.example/g/velmoLogin?two");
  ASSERT_NE(login->m_pGameWnd, nullptr);
  EXPECT_NE(login->m_pGameWnd->GetHWND(), firstGame);
  EXPECT_EQ(env.requests.back().url, L"http://game.velmora.example/g/velmoLogin?two&loginType=5");
}

TEST_F(LoginWindowTest, ThePlayButtonOpensTheTestLoginPage) {
  ASSERT_TRUE(ClickControl(login->GetPaintManager(), g_hLoginWnd, L"playbtn"));
  ASSERT_NE(login->m_pGameWnd, nullptr);
  EXPECT_EQ(login->m_pGameWnd->m_startUrl, L"https://login.velmora.example/swtest.html&loginType=5");
}

TEST_F(LoginWindowTest, BothWindowsSendOnlyWebAddressesOutside) {
  if (!HasUrlRecorder()) GTEST_SKIP() << "no URL recorder set up";
  HandOver(L"http://game.velmora.example/g/velmoLogin?ext");
  HWND game = login->m_pGameWnd->GetHWND();
  size_t before = RecordedUrls().size();
  for (HWND window : {g_hLoginWnd, game}) {
    for (const wchar_t* hostile : {L"file:///C:/windows/notepad.exe", L"\\\\host\\share\\run.exe",
                                   L"javascript:alert(1)", L"C:\\windows\\notepad.exe"}) {
      SendMessageW(window, WM_OPEN_EXTERNAL, 0, reinterpret_cast<LPARAM>(hostile));
    }
    SendMessageW(window, WM_OPEN_EXTERNAL, 0, 0);
  }
  SendMessageW(g_hLoginWnd, WM_OPEN_EXTERNAL, 0, reinterpret_cast<LPARAM>(L"https://www.velmora.example/login"));
  SendMessageW(game, WM_OPEN_EXTERNAL, 0, reinterpret_cast<LPARAM>(L"http://www.velmora.example/game"));
  std::vector<std::string> urls = WaitForUrls(before + 2);
  Sleep(300);  // anything else would have arrived by now
  urls = RecordedUrls();
  ASSERT_EQ(urls.size(), before + 2);
  std::vector<std::string> added(urls.begin() + before, urls.end());
  std::sort(added.begin(), added.end());
  EXPECT_EQ(added[0], "http://www.velmora.example/game");
  EXPECT_EQ(added[1], "https://www.velmora.example/login");
}

// ---- Every way of closing a window leaves the client whole ----

enum class CloseBy { kCloseButton, kWmClose, kSystemMenu };
enum class GameState { kNormal, kFullScreen, kInTray };

std::string CloseName(CloseBy by) {
  switch (by) {
    case CloseBy::kCloseButton: return "CloseButton";
    case CloseBy::kWmClose: return "WmClose";
    default: return "SystemMenu";
  }
}

std::string GameCloseName(const ::testing::TestParamInfo<std::tuple<CloseBy, GameState>>& info) {
  static const char* const kStates[] = {"Normal", "FullScreen", "InTray"};
  return CloseName(std::get<0>(info.param)) + kStates[static_cast<int>(std::get<1>(info.param))];
}

class ClosingTheGame : public LoginWindowTest,
                       public ::testing::WithParamInterface<std::tuple<CloseBy, GameState>> {};

TEST_P(ClosingTheGame, ShowsTheLoginAgainOnceClosesTheAudioAndLetsTheNextLoginPlay) {
  const CloseBy by = std::get<0>(GetParam());
  const GameState state = std::get<1>(GetParam());
  AnnouncePortal();
  HandOver(L"http://game.velmora.example/g/velmoLogin?one");
  CDuiFormGame* game = login->m_pGameWnd;
  ASSERT_NE(game, nullptr);
  HWND gameWindow = game->GetHWND();
  ASSERT_GE(CCoreAudioVolume::GetUsableDeviceCount(), 1u) << "the game opened the playback devices";

  HWND bar = nullptr;
  NOTIFYICONDATAW icon = {};
  if (state == GameState::kFullScreen) {
    ASSERT_TRUE(ClickControl(game->GetPaintManager(), gameWindow, L"fullscreenbtn"));
    ASSERT_NE(game->m_pFullScreenBar, nullptr);
    bar = game->m_pFullScreenBar->GetHWND();
  } else if (state == GameState::kInTray) {
    ASSERT_TRUE(ClickControl(game->GetPaintManager(), gameWindow, L"bosskeybtn"));
    ASSERT_TRUE(game->m_trayAdded);
    icon = game->m_trayData;
  }

  if (by == CloseBy::kCloseButton) {
    ASSERT_TRUE(PostClick(game->GetPaintManager(), gameWindow, L"closebtn"));
  } else if (by == CloseBy::kWmClose) {
    PostMessageW(gameWindow, WM_CLOSE, 0, 0);
  } else {
    PostMessageW(gameWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  int shows = PumpCounting(WM_SHOW_LOGIN, g_hLoginWnd);

  EXPECT_FALSE(IsWindow(gameWindow));
  if (bar) {
    EXPECT_FALSE(IsWindow(bar)) << "the bar goes with the game";
  }
  EXPECT_EQ(shows, 1);
  EXPECT_TRUE(IsWindowVisible(g_hLoginWnd));
  EXPECT_TRUE(IsWindowVisible(login->m_pLoginBrowser->GetHWND()));
  EXPECT_EQ(login->m_pGameWnd, nullptr);
  EXPECT_EQ(CCoreAudioVolume::GetUsableDeviceCount(), 0u);
  if (state == GameState::kInTray) {
    icon.uFlags = NIF_TIP;
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &icon)) << "no tray icon is left behind";
  }

  HandOver(L"http://game.velmora.example/g/velmoLogin?two");
  ASSERT_NE(login->m_pGameWnd, nullptr);
  EXPECT_NE(login->m_pGameWnd->GetHWND(), gameWindow);
  EXPECT_TRUE(IsWindowVisible(login->m_pGameWnd->GetHWND()));
  EXPECT_EQ(env.requests.back().url, L"http://game.velmora.example/g/velmoLogin?two&loginType=5");
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, ClosingTheGame,
    ::testing::Values(std::make_tuple(CloseBy::kCloseButton, GameState::kNormal),
                      std::make_tuple(CloseBy::kWmClose, GameState::kNormal),
                      std::make_tuple(CloseBy::kSystemMenu, GameState::kNormal),
                      std::make_tuple(CloseBy::kCloseButton, GameState::kFullScreen),
                      std::make_tuple(CloseBy::kWmClose, GameState::kFullScreen),
                      std::make_tuple(CloseBy::kSystemMenu, GameState::kFullScreen),
                      std::make_tuple(CloseBy::kWmClose, GameState::kInTray),
                      std::make_tuple(CloseBy::kSystemMenu, GameState::kInTray)),
    GameCloseName);

// Alt+F4 in the game page reaches the hidden login window, the browser's
// root owner: it closes the game, not the client.
TEST_F(LoginWindowTest, ACloseThatReachesTheHiddenLoginClosesTheGameInstead) {
  int quits = 0;
  CefSetQuitMessageLoopHook([&] { ++quits; });
  AnnouncePortal();
  HandOver(L"http://game.velmora.example/g/velmoLogin?alt");
  ASSERT_NE(login->m_pGameWnd, nullptr);
  HWND gameWindow = login->m_pGameWnd->GetHWND();
  ASSERT_FALSE(IsWindowVisible(g_hLoginWnd));
  PostMessageW(g_hLoginWnd, WM_CLOSE, 0, 0);
  int quitMessages = PumpCounting(WM_QUIT, nullptr);
  EXPECT_FALSE(IsWindow(gameWindow));
  EXPECT_TRUE(IsWindowVisible(g_hLoginWnd));
  EXPECT_EQ(login->m_pGameWnd, nullptr);
  EXPECT_EQ(quits, 0);
  EXPECT_EQ(quitMessages, 0);
}

// Closing either login window ends the client, once, and never leaves the
// login window without its portal.
std::string LoginCloseName(const ::testing::TestParamInfo<std::tuple<bool, CloseBy>>& info) {
  return std::string(std::get<0>(info.param) ? "Portal" : "Login") + CloseName(std::get<1>(info.param));
}

class ClosingTheLogin : public LoginWindowTest, public ::testing::WithParamInterface<std::tuple<bool, CloseBy>> {};

TEST_P(ClosingTheLogin, EndsTheClientOnce) {
  const bool portalWindow = std::get<0>(GetParam());
  const CloseBy by = std::get<1>(GetParam());
  int quits = 0;
  CefSetQuitMessageLoopHook([&] { ++quits; });
  HWND browserWindow = login->m_pLoginBrowser->GetHWND();
  HWND target = portalWindow ? browserWindow : g_hLoginWnd;
  for (int press = 0; press < 2; ++press) {  // a second press changes nothing
    if (by == CloseBy::kWmClose) {
      PostMessageW(target, WM_CLOSE, 0, 0);
    } else {
      PostMessageW(target, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
  }
  int quitMessages = PumpCounting(WM_QUIT, nullptr);
  EXPECT_EQ(quits, 1) << "CEF's message loop is told to quit once";
  EXPECT_EQ(quitMessages, 1) << "the modal loop is ended once";
  EXPECT_FALSE(IsWindow(g_hLoginWnd));
  EXPECT_FALSE(IsWindow(browserWindow));
}

INSTANTIATE_TEST_SUITE_P(EveryWay, ClosingTheLogin,
                         ::testing::Combine(::testing::Bool(), ::testing::Values(CloseBy::kWmClose, CloseBy::kSystemMenu)),
                         LoginCloseName);

// ---- The keyboard goes to the portal ----

TEST_F(LoginWindowTest, ThePortalTakesTheKeyboardAtStartAndWhenTheLoginComesBack) {
  SetForegroundWindow(g_hLoginWnd);
  PumpMessages();
  AnnouncePortal(true);
  PumpMessages();
  HWND portalWindow = portal->GetHost()->GetWindowHandle();
  EXPECT_EQ(GetFocus(), portalWindow) << "the portal made after the login was shown";

  HandOver(L"http://game.velmora.example/g/velmoLogin?k");
  ASSERT_NE(login->m_pGameWnd, nullptr);
  PostMessageW(login->m_pGameWnd->GetHWND(), WM_CLOSE, 0, 0);
  PumpMessages(5);
  ASSERT_TRUE(IsWindowVisible(g_hLoginWnd));
  EXPECT_EQ(GetFocus(), portalWindow) << "after the game closed";

  // Switching back to the login window from another one (not clicking it)
  // does the same.
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  SetForegroundWindow(other);
  PumpMessages();
  ASSERT_EQ(GetFocus(), other);
  SetForegroundWindow(g_hLoginWnd);
  PumpMessages();
  EXPECT_EQ(GetFocus(), portalWindow);
  DestroyWindow(other);
}

}  // namespace
