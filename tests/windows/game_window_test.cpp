// The game window and its full-screen bar: real windows and messages under
// Wine, with browser creation caught at the CEF seam.
#include <gtest/gtest.h>

#include "../browser/cef_doubles.h"
#include "app/app_messages.h"
#include "audio/CCoreAudioVolume.h"
#include "browser/simple_handler.h"
#include "ui/DuiFormFullScreen.h"
#include "ui/DuiFormGame.h"
#include "window_test_support.h"

namespace {

class ReloadCountingBrowser : public FakeBrowser {
 public:
  ReloadCountingBrowser(int id, HWND window) : FakeBrowser(id, window) {}
  void Reload() override { ++reloads; }
  int reloads = 0;
};

class GameWindowTest : public ::testing::Test {
 protected:
  // Makes a game window the way the login window does.
  CDuiFormGame* OpenGame(const RECT& area, const std::wstring& url = L"http://game.test/g/velmoLogin?a=1") {
    CDuiFormGame* game = new CDuiFormGame();
    game->m_rcArea = area;
    game->CreateGameWindow(nullptr, url);
    PumpMessages();
    return game;
  }

  // Announces a browser to the game window's client, as CEF would.
  ReloadCountingBrowser* AttachBrowser(CDuiFormGame* game) {
    const BrowserRequest& request = env.requests.back();
    HWND browserWindow = MakeBrowserWindow(request.parent, request.area);
    ReloadCountingBrowser* browser = new ReloadCountingBrowser(1, browserWindow);
    game->m_pClient->OnAfterCreated(browser);
    return browser;
  }

  void TearDown() override {
    for (HWND window : {FindWindowW(L"XMLWnd", L"Velmora"), FindWindowW(L"XMLWnd", L"FormGame")}) {
      if (window) DestroyWindow(window);
    }
    PumpMessages();
  }

  WindowTestEnvironment env;
};

TEST_F(GameWindowTest, AsksForItsBrowserBelowTheTopBarAndCentresItself) {
  RECT work = WorkArea();
  CDuiFormGame* game = OpenGame(work, L"http://game.test/start");
  ASSERT_NE(game->GetHWND(), nullptr);
  ASSERT_EQ(env.requests.size(), 1u);
  const BrowserRequest& request = env.requests[0];
  EXPECT_EQ(request.parent, game->GetHWND());
  EXPECT_EQ(request.url, L"http://game.test/start");
  EXPECT_EQ(request.client.get(), static_cast<CefClient*>(game->m_pClient.get()));
  EXPECT_EQ(request.area.left, 0);
  EXPECT_EQ(request.area.top, 32);
  EXPECT_EQ(request.area.right - request.area.left, work.right);
  EXPECT_EQ(request.area.bottom - request.area.top, work.bottom - 32);
  EXPECT_EQ(request.style, 0x56010000u);
  EXPECT_EQ(game->m_pClient->m_hHostWnd, game->GetHWND());
  EXPECT_TRUE(IsWindowVisible(game->GetHWND()));

  RECT rect = WindowRect(game->GetHWND());
  EXPECT_EQ(rect.right - rect.left, work.right);
  EXPECT_EQ(rect.bottom - rect.top, work.bottom);
}

TEST_F(GameWindowTest, CentresItselfOnTheWorkArea) {
  RECT work = WorkArea();
  const SIZE size = {900, 600};
  ASSERT_GT(work.right, size.cx);
  ASSERT_GT(work.bottom, size.cy);
  CDuiFormGame* game = OpenGame(RECT{0, 0, size.cx, size.cy});
  RECT rect = WindowRect(game->GetHWND());
  EXPECT_EQ(rect.left, (work.right - size.cx) / 2);
  EXPECT_EQ(rect.top, (work.bottom - size.cy) / 2);
  EXPECT_EQ(rect.right - rect.left, size.cx);
  EXPECT_EQ(rect.bottom - rect.top, size.cy);
}

TEST_F(GameWindowTest, WithoutAWorkAreaTheBrowserAndWindowGetTheFallbackSize) {
  CDuiFormGame* game = OpenGame(RECT{0, 0, 0, 0});
  ASSERT_EQ(env.requests.size(), 1u);
  EXPECT_EQ(env.requests[0].area.left, 0);
  EXPECT_EQ(env.requests[0].area.top, 32);
  EXPECT_EQ(env.requests[0].area.right - env.requests[0].area.left, 627);
  EXPECT_EQ(env.requests[0].area.bottom - env.requests[0].area.top, 374);

  // The window itself takes the size its layout asks for, centred.
  RECT work = WorkArea();
  RECT rect = WindowRect(game->GetHWND());
  SIZE layout = game->GetPaintManager().GetInitSize();
  ASSERT_GT(layout.cx, 0);
  EXPECT_EQ(rect.right - rect.left, layout.cx);
  EXPECT_EQ(rect.bottom - rect.top, layout.cy);
  EXPECT_EQ(rect.left, (work.right - layout.cx) / 2);
  EXPECT_EQ(rect.top, (work.bottom - layout.cy) / 2);
}

TEST_F(GameWindowTest, TheBrowserWindowIsInsetBelowTheTopBar) {
  CDuiFormGame* game = OpenGame(RECT{0, 0, 900, 600});
  AttachBrowser(game);
  SetWindowPos(game->GetHWND(), nullptr, 10, 10, 800, 500, SWP_NOZORDER);
  PumpMessages();
  RECT client;
  GetClientRect(game->GetHWND(), &client);
  HWND browserWindow = game->m_pClient->GetFirstBrowser()->GetHost()->GetWindowHandle();
  RECT inner = WindowRect(browserWindow);
  POINT origin = {0, 0};
  ClientToScreen(game->GetHWND(), &origin);
  EXPECT_EQ(inner.left - origin.x, 2);
  EXPECT_EQ(inner.top - origin.y, 32);
  EXPECT_EQ(inner.right - inner.left, client.right - 3);
  EXPECT_EQ(inner.bottom - inner.top, client.bottom - 34);
  ASSERT_NE(game->m_pTopBar, nullptr);
  EXPECT_EQ(game->m_pTopBar->GetPos().right, client.right);
}

TEST_F(GameWindowTest, PageTitleAndReloadReachTheWindow) {
  CDuiFormGame* game = OpenGame(RECT{0, 0, 900, 600});
  ReloadCountingBrowser* browser = AttachBrowser(game);
  SendMessageW(game->GetHWND(), WM_PAGE_TITLE, 0, reinterpret_cast<LPARAM>(L"Realm of Aurel"));
  ASSERT_NE(game->m_pTitle, nullptr);
  EXPECT_EQ(std::wstring(game->m_pTitle->GetText().GetData()), L"Realm of Aurel");
  SendMessageW(game->GetHWND(), WM_RELOAD_PAGE, 0, 0);
  SendMessageW(game->GetHWND(), WM_RELOAD_PAGE, 0, 0);
  EXPECT_EQ(browser->reloads, 2);
}

TEST_F(GameWindowTest, ADeadGamePageIsReloadedByTheWindowOnItsOwnThread) {
  CDuiFormGame* game = OpenGame(RECT{0, 0, 900, 600});
  ReloadCountingBrowser* browser = AttachBrowser(game);
  // The client posts its recovery step to its host window, this one.
  game->m_pClient->OnRenderProcessTerminated(browser, TS_PROCESS_CRASHED);
  EXPECT_EQ(browser->reloads, 0);
  PumpMessages();
  EXPECT_EQ(browser->reloads, 1);
}

TEST_F(GameWindowTest, KeyboardNeverOpensTheSystemMenu) {
  CDuiFormGame* game = OpenGame(RECT{0, 0, 900, 600});
  EXPECT_EQ(SendMessageW(game->GetHWND(), WM_SYSCOMMAND, SC_KEYMENU, 0), 1);
  EXPECT_EQ(SendMessageW(game->GetHWND(), WM_SYSCOMMAND, SC_KEYMENU, VK_SPACE), 1);
}

TEST_F(GameWindowTest, TheBossKeyHidesToTheTrayAndAClickBringsItBack) {
  CDuiFormGame* game = OpenGame(RECT{0, 0, 900, 600});
  HWND window = game->GetHWND();
  ASSERT_TRUE(ClickControl(game->GetPaintManager(), window, L"bosskeybtn"));
  EXPECT_TRUE(game->m_hiddenToTray);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(game->m_trayAdded) << "Wine's desktop offers a notification area";
  EXPECT_EQ(game->m_trayData.hWnd, window);
  EXPECT_EQ(game->m_trayData.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(game->m_trayData.uID, 102u);
  EXPECT_EQ(game->m_trayData.uCallbackMessage, static_cast<UINT>(WM_TRAY_NOTIFY));
  EXPECT_STREQ(game->m_trayData.szTip, L"Velmora");
  EXPECT_NE(game->m_trayData.hIcon, nullptr);

  SendMessageW(window, WM_TRAY_NOTIFY, 102, WM_MOUSEMOVE);  // hovering does nothing
  EXPECT_FALSE(IsWindowVisible(window));
  SendMessageW(window, WM_TRAY_NOTIFY, 102, WM_LBUTTONUP);
  PumpMessages();
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_FALSE(game->m_hiddenToTray);
  // The icon is gone: it can no longer be changed.
  NOTIFYICONDATAW probe = game->m_trayData;
  probe.uFlags = NIF_TIP;
  EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &probe));
}

TEST_F(GameWindowTest, TheSoundSwitchMutesAndUnmutesThroughCoreAudio) {
  CDuiFormGame* game = OpenGame(RECT{0, 0, 900, 600});
  // InitWindow opened the playback devices and set "sound on".
  const UINT devices = static_cast<UINT>(CCoreAudioVolume::GetUsableDeviceCount());
  ASSERT_GE(devices, 1u) << "the test runs with ALSA's null device as one playback endpoint";
  EXPECT_EQ(CCoreAudioVolume::GetConfirmedDeviceCount(), devices);

  CControlUI* sound = game->GetPaintManager().FindControl(L"rechargebtn");
  ASSERT_NE(sound, nullptr);
  EXPECT_FALSE(sound->IsVisible()) << "the switch starts hidden";
  // A hidden button takes no mouse clicks, so its notification is delivered
  // as the toolkit would deliver a click.
  TNotifyUI click;
  click.sType = DUI_MSGTYPE_CLICK;
  click.pSender = sound;
  game->OnClick(click);
  EXPECT_FALSE(game->m_soundOn);
  EXPECT_EQ(CCoreAudioVolume::GetConfirmedDeviceCount(), devices) << "muted and read back";
  game->OnClick(click);
  EXPECT_TRUE(game->m_soundOn);
  EXPECT_EQ(CCoreAudioVolume::GetConfirmedDeviceCount(), devices) << "unmuted and read back";

  // The close button closes the devices: switching then reaches none.
  ASSERT_TRUE(ClickControl(game->GetPaintManager(), game->GetHWND(), L"closebtn"));
  EXPECT_EQ(CCoreAudioVolume::GetUsableDeviceCount(), 0u);
}

class FullScreenTest : public GameWindowTest {
 protected:
  void SetUp() override {
    game = OpenGame(WorkArea());
    AttachBrowser(game);
    window = game->GetHWND();
    before.length = sizeof before;
    GetWindowPlacement(window, &before);
    ASSERT_TRUE(ClickControl(game->GetPaintManager(), window, L"fullscreenbtn"));
    ASSERT_TRUE(game->m_fullScreen);
    ASSERT_NE(game->m_pFullScreenBar, nullptr);
    bar = game->m_pFullScreenBar->GetHWND();
  }

  // The browser is back below the top bar at once, whether or not the
  // window's size changed on the way out.
  void ExpectBrowserBelowTopBar() {
    RECT client;
    GetClientRect(window, &client);
    HWND browserWindow = game->m_pClient->GetFirstBrowser()->GetHost()->GetWindowHandle();
    RECT inner = WindowRect(browserWindow);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    EXPECT_EQ(inner.left - origin.x, 2);
    EXPECT_EQ(inner.top - origin.y, 32);
    EXPECT_EQ(inner.right - inner.left, client.right - 3);
    EXPECT_EQ(inner.bottom - inner.top, client.bottom - 34);
  }

  void ExpectLeft() {
    PumpMessages();
    EXPECT_FALSE(game->m_fullScreen);
    EXPECT_EQ(game->m_pFullScreenBar, nullptr);
    EXPECT_FALSE(IsWindow(bar));
    WINDOWPLACEMENT after = {};
    after.length = sizeof after;
    GetWindowPlacement(window, &after);
    EXPECT_TRUE(EqualRect(&after.rcNormalPosition, &before.rcNormalPosition));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_CHILD, 0) << "still a top-level window";
    ExpectBrowserBelowTopBar();
  }

  CDuiFormGame* game = nullptr;
  HWND window = nullptr;
  HWND bar = nullptr;
  WINDOWPLACEMENT before = {};
};

TEST_F(FullScreenTest, CoversTheScreenAndShowsTheBar) {
  RECT rect = WindowRect(window);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
  HWND browserWindow = game->m_pClient->GetFirstBrowser()->GetHost()->GetWindowHandle();
  RECT inner = WindowRect(browserWindow);
  EXPECT_EQ(inner.right - inner.left, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_TRUE(IsWindowVisible(bar));
  EXPECT_EQ(game->m_pFullScreenBar->m_hTargetWnd, window);
  RECT barRect = WindowRect(bar);
  EXPECT_EQ(barRect.top, 0);
  EXPECT_EQ(barRect.right - barRect.left, 210);
  EXPECT_EQ(barRect.bottom - barRect.top, 34);
}

TEST_F(FullScreenTest, EscapeInTheWindowLeaves) {
  SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
  ExpectBrowserBelowTopBar();
  ExpectLeft();
}

TEST_F(FullScreenTest, TheClientsMessageLeaves) {
  SendMessageW(window, WM_EXIT_FULLSCREEN, 0, 0);
  ExpectBrowserBelowTopBar();
  ExpectLeft();
  // Once out, the message and Escape change nothing.
  SendMessageW(window, WM_EXIT_FULLSCREEN, 0, 0);
  SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(game->m_fullScreen);
}

TEST_F(FullScreenTest, TheBarsButtonAndEscapeLeave) {
  ASSERT_TRUE(ClickControl(game->m_pFullScreenBar->GetPaintManager(), bar, L"fullscreenbtn"));
  ExpectLeft();
  ASSERT_TRUE(ClickControl(game->GetPaintManager(), window, L"fullscreenbtn"));
  bar = game->m_pFullScreenBar->GetHWND();
  SendMessageW(bar, WM_KEYDOWN, VK_ESCAPE, 0);
  ExpectLeft();
}

TEST_F(FullScreenTest, TheBarSlidesUpOnItsTimerAndDownOnTheMouse) {
  CDuiFormFullScreen* fullScreenBar = game->m_pFullScreenBar;
  RECT work = WorkArea();
  int centred = (work.right - 210) / 2;

  SendMessageW(bar, WM_TIMER, CDuiFormFullScreen::kHideTimer, 0);
  RECT hidden = WindowRect(bar);
  EXPECT_EQ(hidden.top, -33);
  EXPECT_EQ(hidden.left, centred);
  EXPECT_FALSE(fullScreenBar->m_barShown);

  SendMessageW(bar, WM_MOUSEMOVE, 0, MAKELPARAM(5, 33));
  RECT shown = WindowRect(bar);
  EXPECT_EQ(shown.top, -1);
  EXPECT_TRUE(fullScreenBar->m_barShown);

  // While shown, the mouse moves nothing.
  SetWindowPos(bar, nullptr, centred, 7, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(bar, WM_MOUSEMOVE, 0, MAKELPARAM(6, 10));
  EXPECT_EQ(WindowRect(bar).top, 7);
}

// ---- The keyboard follows the game ----

class GameKeyboardTest : public GameWindowTest {
 protected:
  void SetUp() override {
    game = OpenGame(RECT{0, 0, 900, 600});
    window = game->GetHWND();
    SetForegroundWindow(window);
    PumpMessages();
    browser = AttachBrowser(game);
    browserWindow = browser->GetHost()->GetWindowHandle();
    PumpMessages();
  }

  CDuiFormGame* game = nullptr;
  HWND window = nullptr;
  ReloadCountingBrowser* browser = nullptr;
  HWND browserWindow = nullptr;
};

TEST_F(GameKeyboardTest, ABrowserMadeAfterTheWindowWasShownTakesTheKeyboard) {
  EXPECT_EQ(GetFocus(), browserWindow);
}

TEST_F(GameKeyboardTest, RestoringFromMinimisedGivesTheKeyboardToThePage) {
  ShowWindow(window, SW_MINIMIZE);
  PumpMessages();
  ShowWindow(window, SW_RESTORE);
  PumpMessages();
  EXPECT_EQ(GetActiveWindow(), window);
  EXPECT_EQ(GetFocus(), browserWindow);
}

TEST_F(GameKeyboardTest, RestoringFromTheTrayGivesTheKeyboardToThePage) {
  ASSERT_TRUE(ClickControl(game->GetPaintManager(), window, L"bosskeybtn"));
  ASSERT_FALSE(IsWindowVisible(window));
  SendMessageW(window, WM_TRAY_NOTIFY, 102, WM_LBUTTONUP);
  PumpMessages();
  EXPECT_EQ(GetActiveWindow(), window);
  EXPECT_EQ(GetFocus(), browserWindow);
}

TEST_F(GameKeyboardTest, TheFullScreenBarNeverTakesTheKeyboard) {
  ASSERT_TRUE(ClickControl(game->GetPaintManager(), window, L"fullscreenbtn"));
  ASSERT_NE(game->m_pFullScreenBar, nullptr);
  HWND bar = game->m_pFullScreenBar->GetHWND();
  EXPECT_TRUE(IsWindowVisible(bar));
  EXPECT_EQ(GetActiveWindow(), window) << "the bar is shown without activation";
  EXPECT_EQ(GetFocus(), browserWindow);

  // Sliding up and down again keeps it so; a click on the bar does not
  // activate it either.
  SendMessageW(bar, WM_TIMER, CDuiFormFullScreen::kHideTimer, 0);
  SendMessageW(bar, WM_MOUSEMOVE, 0, MAKELPARAM(5, 33));
  PumpMessages();
  EXPECT_EQ(GetActiveWindow(), window);
  EXPECT_EQ(GetFocus(), browserWindow);
  EXPECT_EQ(SendMessageW(bar, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
            MA_NOACTIVATE);

  // Leaving by the bar's button hands the keyboard back to the page too.
  ASSERT_TRUE(ClickControl(game->m_pFullScreenBar->GetPaintManager(), bar, L"fullscreenbtn"));
  PumpMessages();
  EXPECT_FALSE(game->m_fullScreen);
  EXPECT_EQ(GetActiveWindow(), window);
  EXPECT_EQ(GetFocus(), browserWindow);
}

}  // namespace
