// The four windows at the system DPI: every 96-DPI pixel value of the code
// and of the layouts scaled by the toolkit's one rule. The test command runs
// these at 96 DPI, where they are the fixed values of the windows' other
// tests; tests/e2e/dpi_test.py runs them again at 120, 144 and 192 DPI.
#include <gtest/gtest.h>

#include <cstdio>

#include "../browser/cef_doubles.h"
#include "app/app_globals.h"
#include "app/app_messages.h"
#include "browser/simple_handler.h"
#include "ui/DuiFormFullScreen.h"
#include "ui/DuiFormGame.h"
#include "ui/DuiFormLogin.h"
#include "ui/DuiFormLoginBrowser.h"
#include "window_test_support.h"

namespace {

int S(int value) { return AtScreenDpi(value); }

class AtTheSystemDpi : public ::testing::Test {
 protected:
  void TearDown() override {
    for (HWND window : {FindWindowW(L"XMLWnd", L"FormGame"), FindWindowW(L"XMLWnd", L"Velmora")}) {
      if (window) DestroyWindow(window);
    }
    PumpMessages();
  }

  CDuiFormGame* OpenGame(const RECT& area) {
    CDuiFormGame* game = new CDuiFormGame();
    game->m_rcArea = area;
    game->CreateGameWindow(nullptr, L"http://game.test/g/velmoLogin?dpi=1");
    PumpMessages();
    return game;
  }

  HWND AttachBrowser(CDuiFormGame* game) {
    const BrowserRequest& request = env.requests.back();
    HWND browserWindow = MakeBrowserWindow(request.parent, request.area);
    game->m_pClient->OnAfterCreated(new FakeBrowser(1, browserWindow));
    return browserWindow;
  }

  WindowTestEnvironment env;
};

TEST_F(AtTheSystemDpi, TheLoginWindowAndThePortalWindowGluedToIt) {
  std::printf("system DPI %d\n", CDPI::GetDPI());
  CDuiFormLogin login;
  HWND window = login.Create(nullptr, _T("Velmora"), WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                             WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, nullptr);
  ASSERT_NE(window, nullptr);
  PumpMessages();
  RECT outer = WindowRect(window);
  EXPECT_EQ(outer.right - outer.left, S(1080));
  EXPECT_EQ(outer.bottom - outer.top, S(640));

  HWND portalWindow = login.m_pLoginBrowser->GetHWND();
  RECT portal = WindowRect(portalWindow);
  EXPECT_EQ(portal.right - portal.left, S(630));
  EXPECT_EQ(portal.bottom - portal.top, S(385));
  ASSERT_EQ(env.requests.size(), 1u);
  const RECT area = {0, 0, S(630), S(385)};
  EXPECT_TRUE(EqualRect(&env.requests[0].area, &area)) << "the portal browser fills the portal window";

  SetWindowPos(window, nullptr, S(40), S(30), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  PumpMessages();
  outer = WindowRect(window);
  portal = WindowRect(portalWindow);
  EXPECT_EQ(portal.left - outer.left, S(250));
  EXPECT_EQ(portal.top - outer.top, S(198));
  DestroyWindow(window);
  PumpMessages();
}

TEST_F(AtTheSystemDpi, TheGameBrowserSitsBelowTheScaledTopBarInsetByTheScaledFrame) {
  CDuiFormGame* game = OpenGame(RECT{0, 0, S(900), S(600)});
  ASSERT_EQ(env.requests.size(), 1u);
  EXPECT_EQ(env.requests[0].area.top, S(32));
  EXPECT_EQ(env.requests[0].area.bottom - env.requests[0].area.top, S(600) - S(32));
  ASSERT_NE(game->m_pTopBar, nullptr);
  EXPECT_EQ(game->m_pTopBar->GetHeight(), S(32)) << "the layout's bar and the code's browser edge agree";

  HWND browserWindow = AttachBrowser(game);
  SetWindowPos(game->GetHWND(), nullptr, S(10), S(10), S(850), S(560), SWP_NOZORDER);
  PumpMessages();
  RECT client;
  GetClientRect(game->GetHWND(), &client);
  RECT inner = WindowRect(browserWindow);
  POINT origin = {0, 0};
  ClientToScreen(game->GetHWND(), &origin);
  EXPECT_EQ(inner.left - origin.x, S(2));
  EXPECT_EQ(inner.top - origin.y, S(32));
  EXPECT_EQ(client.right - (inner.right - origin.x), S(1));
  EXPECT_EQ(client.bottom - (inner.bottom - origin.y), S(2));

  // The title-bar buttons are where the scaled layout puts them: the close
  // button is the last 46 (scaled) pixels of the bar.
  CControlUI* close = game->GetPaintManager().FindControl(L"closebtn");
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->GetPos().right, client.right);
  EXPECT_EQ(close->GetWidth(), S(46));
}

TEST_F(AtTheSystemDpi, WithoutAWorkAreaTheGameTakesTheScaledFallbackSizes) {
  CDuiFormGame* game = OpenGame(RECT{0, 0, 0, 0});
  ASSERT_EQ(env.requests.size(), 1u);
  EXPECT_EQ(env.requests[0].area.right - env.requests[0].area.left, S(627));
  EXPECT_EQ(env.requests[0].area.bottom - env.requests[0].area.top, S(374));
  RECT rect = WindowRect(game->GetHWND());
  EXPECT_EQ(rect.right - rect.left, S(1024)) << "FormGame.xml's size";
  EXPECT_EQ(rect.bottom - rect.top, S(700));
}

TEST_F(AtTheSystemDpi, TheFullScreenBarAndTheTrayIconScale) {
  CDuiFormGame* game = OpenGame(WorkArea());
  AttachBrowser(game);
  HWND window = game->GetHWND();
  ASSERT_TRUE(ClickControl(game->GetPaintManager(), window, L"fullscreenbtn"));
  ASSERT_NE(game->m_pFullScreenBar, nullptr);
  HWND bar = game->m_pFullScreenBar->GetHWND();
  RECT rect = WindowRect(bar);
  const RECT work = WorkArea();
  EXPECT_EQ(rect.right - rect.left, S(210));
  EXPECT_EQ(rect.bottom - rect.top, S(34));
  EXPECT_EQ(rect.left, (work.right - S(210)) / 2);
  EXPECT_EQ(rect.top, 0);

  SendMessageW(bar, WM_TIMER, CDuiFormFullScreen::kHideTimer, 0);
  EXPECT_EQ(WindowRect(bar).top, S(1) - S(34)) << "slid up, its bottom row stays on screen";
  EXPECT_EQ(WindowRect(bar).left, (work.right - S(210)) / 2) << "placed by the same rule";
  SendMessageW(bar, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(WindowRect(bar).top, -S(1));
  SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
  PumpMessages();
  EXPECT_FALSE(game->m_fullScreen);

  ASSERT_TRUE(ClickControl(game->GetPaintManager(), window, L"bosskeybtn"));
  ASSERT_TRUE(game->m_trayAdded);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(game->m_trayData.hIcon, &info));
  BITMAP bitmap = {};
  GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
  EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXSMICON)) << "the display's small-icon size";
  std::printf("small icon %d x %d\n", static_cast<int>(bitmap.bmWidth), static_cast<int>(bitmap.bmHeight));
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  SendMessageW(window, WM_TRAY_NOTIFY, CDuiFormGame::kTrayIconId, WM_LBUTTONUP);
  PumpMessages();
  EXPECT_TRUE(IsWindowVisible(window));
}

}  // namespace
