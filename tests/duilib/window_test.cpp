// Window life: modal loops, window classes, key handling and notifications.
#include <gtest/gtest.h>

#include "duilib_test_support.h"

using namespace duitest;

namespace {

// A map with one named entry whose base is WindowImplBase's map: other
// clicks fall through to the toolkit's OnClick.
class NamedMapWnd : public TestWnd {
 public:
  NamedMapWnd() : TestWnd(_T("standard.xml")) {}
  void OnOk(TNotifyUI& msg) { oks.push_back(msg.pSender->GetName().GetData()); }
  std::vector<std::wstring> oks;
  DUI_DECLARE_MESSAGE_MAP()
};

DUI_BEGIN_MESSAGE_MAP(NamedMapWnd, WindowImplBase)
DUI_ON_CLICK_CTRNAME(_T("okbtn"), NamedMapWnd::OnOk)
DUI_END_MESSAGE_MAP()

}  // namespace

TEST(Window, ShowModalReturnsWhenTheWindowCloses) {
  TestWnd wnd(_T("standard.xml"));
  ASSERT_NE(wnd.Create(NULL, _T("modal"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
  wnd.Close(42);
  EXPECT_EQ(wnd.ShowModal(), 42u);
  EXPECT_FALSE(::IsWindow(wnd.GetHWND()));
}

TEST(Window, ShowModalReturnsWhenTheCloseButtonIsClicked) {
  TestWnd wnd(_T("standard.xml"));
  ASSERT_NE(wnd.Create(NULL, _T("modal"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
  PostClick(wnd, Centre(wnd.Find(_T("closebtn"))->GetPos()));
  wnd.ShowModal();
  EXPECT_FALSE(::IsWindow(wnd.GetHWND()));
  ASSERT_EQ(wnd.clicks.size(), 1u);
}

TEST(Window, ShowModalReturnsOnQuitAndPassesTheQuitOn) {
  TestWnd wnd(_T("standard.xml"));
  HWND hwnd = wnd.Create(NULL, _T("modal"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0);
  ASSERT_NE(hwnd, nullptr);
  ::PostQuitMessage(7);
  wnd.ShowModal();
  EXPECT_TRUE(::IsWindow(hwnd));  // the window itself stays
  MSG msg = {};
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  ::DestroyWindow(hwnd);
}

TEST(Window, ModalWindowDisablesItsOwnerUntilItCloses) {
  TestWnd owner(_T("standard.xml"));
  ASSERT_NE(owner.Create(NULL, _T("owner"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
  TestWnd dialog(_T("standard.xml"));
  ASSERT_NE(dialog.Create(owner, _T("dialog"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
  ::SetTimer(dialog, 1, 100, nullptr);
  bool ownerWasEnabled = true;
  // Check from inside the modal loop, then close.
  struct Probe {
    static void CALLBACK Tick(HWND hwnd, UINT, UINT_PTR, DWORD) {
      *reinterpret_cast<bool*>(::GetPropW(hwnd, L"flag")) = ::IsWindowEnabled(::GetWindow(hwnd, GW_OWNER)) != FALSE;
      ::KillTimer(hwnd, 2);
      ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    }
  };
  ::SetPropW(dialog, L"flag", &ownerWasEnabled);
  ::SetTimer(dialog, 2, 100, &Probe::Tick);
  dialog.ShowModal();
  EXPECT_FALSE(ownerWasEnabled);
  EXPECT_TRUE(::IsWindowEnabled(owner));
  ::DestroyWindow(owner);
}

TEST(Window, WindowsOfTwoClassesExistTogether) {
  TestWnd first(_T("standard.xml"), _T("XMLWnd"));
  TestWnd second(_T("standard.xml"), _T("DuiOtherWnd"));
  TestWnd third(_T("standard.xml"), _T("XMLWnd"));
  ASSERT_NE(first.Create(NULL, _T("first"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
  ASSERT_NE(second.Create(NULL, _T("second"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
  ASSERT_NE(third.Create(first, _T("third"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
  EXPECT_TRUE(::IsWindow(first) && ::IsWindow(second) && ::IsWindow(third));
  wchar_t name[64] = {};
  ::GetClassNameW(second, name, 64);
  EXPECT_STREQ(name, L"DuiOtherWnd");
  ::GetClassNameW(third, name, 64);
  EXPECT_STREQ(name, L"XMLWnd");
  ::DestroyWindow(third);
  ::DestroyWindow(second);
  ::DestroyWindow(first);
}

TEST(Window, EscapeStillReachesTheWindow) {
  TestWnd wnd(_T("standard.xml"));
  ASSERT_NE(wnd.Create(NULL, _T("keys"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
  ::PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0);
  ::PostMessageW(wnd, WM_KEYDOWN, VK_F11, 0);
  Pump(100);
  std::vector<WPARAM> expected = {VK_ESCAPE, VK_F11};
  EXPECT_EQ(wnd.keys, expected);
  ::DestroyWindow(wnd);
}

TEST(Window, HidingAndShowing) {
  TestWnd wnd(_T("standard.xml"));
  ASSERT_NE(wnd.Create(NULL, _T("show"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
  wnd.ShowWindow(false);
  EXPECT_FALSE(::IsWindowVisible(wnd));
  wnd.ShowWindow(true, false);
  EXPECT_TRUE(::IsWindowVisible(wnd));
  wnd.ShowWindow(false);
  wnd.ShowWindow(true, true);
  Pump(50);
  EXPECT_EQ(::GetForegroundWindow(), wnd.GetHWND());
  ::DestroyWindow(wnd);
}

TEST(Window, CenterWindowCentresOnTheWorkArea) {
  TestWnd wnd(_T("standard.xml"));
  ASSERT_NE(wnd.Create(NULL, _T("centre"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
  wnd.CenterWindow();
  RECT work = {}, rc = {};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  ::GetWindowRect(wnd, &rc);
  EXPECT_LE(std::abs((rc.left + rc.right) / 2 - (work.left + work.right) / 2), 1);
  EXPECT_LE(std::abs((rc.top + rc.bottom) / 2 - (work.top + work.bottom) / 2), 1);
  ::DestroyWindow(wnd);
}

TEST(Window, ClickThatDestroysTheWindowIsSafe) {
  // A handler that destroys the window while the click is being delivered.
  struct Destroyer : TestWnd {
    using TestWnd::TestWnd;
    void OnClick(TNotifyUI& msg) override {
      TestWnd::OnClick(msg);
      ::DestroyWindow(m_hWnd);
    }
  };
  Destroyer wnd(_T("standard.xml"));
  ASSERT_NE(wnd.Create(NULL, _T("destroy"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
  PostClick(wnd, Centre(wnd.Find(_T("okbtn"))->GetPos()));
  Pump(100);
  EXPECT_FALSE(::IsWindow(wnd.GetHWND()));
  EXPECT_EQ(wnd.clicks.size(), 1u);
}

TEST(Window, DeletingTheObjectFirstLeavesASafeWindow) {
  auto* wnd = new TestWnd(_T("standard.xml"));
  HWND hwnd = wnd->Create(NULL, _T("orphan"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0);
  ASSERT_NE(hwnd, nullptr);
  delete wnd;  // as start-up does when the modal loop ends on a quit message
  ::InvalidateRect(hwnd, nullptr, TRUE);
  PostClick(hwnd, {360, 16});
  Pump(100);
  EXPECT_TRUE(::IsWindow(hwnd));
  EXPECT_TRUE(::DestroyWindow(hwnd));
}

TEST(Window, NotificationMapMatchesNamesAndFallsBackToItsBase) {
  NamedMapWnd wnd;
  ASSERT_NE(wnd.Create(NULL, _T("map"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
  PostClick(wnd, Centre(wnd.Find(_T("okbtn"))->GetPos()));
  Pump(100);
  EXPECT_EQ(wnd.oks, std::vector<std::wstring>{L"okbtn"});
  EXPECT_TRUE(wnd.clicks.empty());  // handled by the named entry only

  PostClick(wnd, Centre(wnd.Find(_T("closebtn"))->GetPos()));
  Pump(100);
  EXPECT_EQ(wnd.clicks, std::vector<std::wstring>{L"closebtn"});  // the base map's OnClick
  EXPECT_FALSE(::IsWindow(wnd.GetHWND()));
}
