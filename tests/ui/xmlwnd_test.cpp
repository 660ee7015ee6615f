// CXMLWnd: one layout file per window, one window class for all windows.
#include <gtest/gtest.h>

#include "resource.h"
#include "ui_test_support.h"

using namespace uitest;

namespace {

const DWORD kLoginStyle = 0x10cf0000;  // WS_VISIBLE | WS_OVERLAPPEDWINDOW
const DWORD kGameStyle = 0x96CF0000;   // WS_POPUP | WS_VISIBLE | WS_CLIP* | WS_OVERLAPPEDWINDOW

// A second window class, as the client's windows are.
class OtherForm : public ProbeForm {
 public:
  OtherForm() : ProbeForm(_T("FormGame.xml")) {}
};

}  // namespace

TEST(XMLWnd, NamesItsClassAndLayout) {
  CXMLWnd wnd(_T("FormLogin.xml"));
  EXPECT_STREQ(wnd.GetWindowClassName(), _T("XMLWnd"));
  EXPECT_TRUE(wnd.GetSkinFile() == _T("FormLogin.xml"));
  EXPECT_TRUE(wnd.GetSkinFolder().IsEmpty());
  EXPECT_EQ(wnd.CreateControl(_T("AnyCustomType")), nullptr);

  // The name is copied at construction.
  wchar_t name[] = L"FormGame.xml";
  CXMLWnd copy(name);
  name[0] = L'X';
  EXPECT_TRUE(copy.GetSkinFile() == _T("FormGame.xml"));
}

TEST(XMLWnd, CreateLoadsTheLayoutAndSizesTheWindowFromIt) {
  ProbeForm wnd(_T("FormGame.xml"));
  ASSERT_NE(wnd.Create(NULL, _T("Velmora"), kGameStyle, 0x00040100, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                       CW_USEDEFAULT, NULL),
            nullptr);
  RECT rc = {};
  ::GetWindowRect(wnd, &rc);
  EXPECT_EQ(rc.right - rc.left, 1024);
  EXPECT_EQ(rc.bottom - rc.top, 700);
  wchar_t className[32] = {};
  ::GetClassNameW(wnd, className, 32);
  EXPECT_STREQ(className, L"XMLWnd");
  ::DestroyWindow(wnd);
}

TEST(XMLWnd, AClickReachesOnClickOnceAndTheToolkitActsOnIt) {
  ProbeForm wnd(_T("FormGame.xml"));
  ASSERT_NE(wnd.Create(NULL, _T("Velmora"), kGameStyle, 0x00040100), nullptr);
  Pump();
  PostClick(wnd, wnd.Find(_T("fullscreenbtn")));
  Pump(100);
  EXPECT_EQ(wnd.clicks, std::vector<std::wstring>{L"fullscreenbtn"});

  PostClick(wnd, wnd.Find(_T("closebtn")));
  Pump(100);
  EXPECT_EQ(wnd.clicks.size(), 2u);
  EXPECT_FALSE(::IsWindow(wnd.GetHWND()));
}

TEST(XMLWnd, WindowsOfDifferentClassesShareTheWindowClass) {
  ProbeForm login(_T("FormLogin.xml"));
  OtherForm game;
  ProbeForm bar(_T("FormFullScreen.xml"));
  ASSERT_NE(login.Create(NULL, _T("Velmora"), kLoginStyle, 0x40100), nullptr);
  ASSERT_NE(game.Create(login, _T("Velmora"), kGameStyle, 0x00040100), nullptr);
  ASSERT_NE(bar.Create(game, _T("FormGame"), kGameStyle, 0x00000180), nullptr);
  EXPECT_TRUE(::IsWindow(login) && ::IsWindow(game) && ::IsWindow(bar));
  ::DestroyWindow(bar);
  ::DestroyWindow(game);
  ::DestroyWindow(login);
}

TEST(XMLWnd, ShowModalEndsOnQuit) {
  ProbeForm login(_T("FormLogin.xml"));
  ASSERT_NE(login.Create(NULL, _T("Velmora"), kLoginStyle, 0x40100), nullptr);
  ::PostQuitMessage(0);
  login.ShowModal();
  MSG msg;
  ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  ::DestroyWindow(login);
}

TEST(Resources, IconResource106IsBuiltIn) {
  HICON icon = ::LoadIconW(CPaintManagerUI::GetInstance(), MAKEINTRESOURCEW(IDI_VELMORA));
  EXPECT_NE(icon, nullptr);
  HICON small = static_cast<HICON>(::LoadImageW(CPaintManagerUI::GetInstance(), MAKEINTRESOURCEW(106), IMAGE_ICON,
                                                16, 16, 0));
  EXPECT_NE(small, nullptr);
}
