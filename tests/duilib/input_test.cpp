// Mouse input on controls: one click per press and release, the caption
// buttons' default actions, hover states and dragging by the caption.
#include <gtest/gtest.h>

#include "duilib_test_support.h"


using namespace duitest;

namespace {

class Input : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(wnd.Create(NULL, _T("input"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
    wnd.CenterWindow();
    wnd.ShowWindow(true, true);
    Pump(100);
  }
  void TearDown() override {
    if (::IsWindow(wnd)) ::DestroyWindow(wnd);
  }
  POINT CentreOf(LPCTSTR name) { return Centre(wnd.Find(name)->GetPos()); }
  POINT ToScreen(POINT client) {
    ::ClientToScreen(wnd, &client);
    return client;
  }

  TestWnd wnd{_T("standard.xml")};
};

}  // namespace

TEST_F(Input, PressAndReleaseOnAButtonClicksOnce) {
  PostClick(wnd, CentreOf(_T("okbtn")));
  Pump(100);
  ASSERT_EQ(wnd.clicks.size(), 1u);
  EXPECT_EQ(wnd.clicks[0], L"okbtn");
  EXPECT_TRUE(::IsWindow(wnd));  // a button without a default action leaves the window alone
}

TEST_F(Input, ReleaseAwayFromTheButtonIsNoClick) {
  const POINT on = CentreOf(_T("okbtn"));
  ::PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(on.x, on.y));
  ::PostMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(on.x + 150, on.y));
  ::PostMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(on.x + 150, on.y));
  Pump(100);
  EXPECT_TRUE(wnd.clicks.empty());
}

TEST_F(Input, RealMouseInputClicksOnce) {
  ASSERT_TRUE(RunXdotool(XMove(ToScreen(CentreOf(_T("okbtn")))) + L"sleep 0.1 click 1"));
  Pump(100);
  ASSERT_EQ(wnd.clicks.size(), 1u);
  EXPECT_EQ(wnd.clicks[0], L"okbtn");
}

TEST_F(Input, HiddenControlsTakeNoClicks) {
  auto* ghost = wnd.Find(_T("ghost"));
  ghost->SetVisible(true);
  wnd.GetPaintManager().UpdateLayout();
  const POINT at = CentreOf(_T("ghost"));
  ghost->SetVisible(false);
  PostClick(wnd, at);
  Pump(100);
  EXPECT_TRUE(wnd.clicks.empty());

  ghost->SetVisible(true);
  PostClick(wnd, at);
  Pump(100);
  ASSERT_EQ(wnd.clicks.size(), 1u);
  EXPECT_EQ(wnd.clicks[0], L"ghost");
}

TEST_F(Input, ButtonShowsHotAndPushedStates) {
  auto* ok = static_cast<CButtonUI*>(wnd.Find(_T("okbtn")));
  const POINT at = CentreOf(_T("okbtn"));
  ::SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
  EXPECT_TRUE(ok->GetButtonState() & UISTATE_HOT);
  ::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  EXPECT_TRUE(ok->GetButtonState() & UISTATE_PUSHED);
  ::SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  EXPECT_FALSE(ok->GetButtonState() & UISTATE_PUSHED);
  ::SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 100));
  EXPECT_FALSE(ok->GetButtonState() & UISTATE_HOT);
}

TEST_F(Input, CheckBoxAndComboReportClicks) {
  auto* check = static_cast<CCheckBoxUI*>(wnd.Find(_T("check")));
  EXPECT_FALSE(check->IsSelected());
  PostClick(wnd, CentreOf(_T("check")));
  Pump(100);
  EXPECT_TRUE(check->IsSelected());
  PostClick(wnd, CentreOf(_T("combo")));
  Pump(100);
  EXPECT_TRUE(wnd.Find(_T("combo"))->GetText() == _T("b"));
  ASSERT_EQ(wnd.clicks.size(), 2u);
  EXPECT_EQ(wnd.clicks[0], L"check");
  EXPECT_EQ(wnd.clicks[1], L"combo");
}

TEST_F(Input, CloseButtonClosesTheWindow) {
  PostClick(wnd, CentreOf(_T("closebtn")));
  ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(wnd.GetHWND()); }));
  ASSERT_EQ(wnd.clicks.size(), 1u);
  EXPECT_EQ(wnd.finals, 1);
  EXPECT_EQ(wnd.GetHWND(), nullptr);
}

TEST_F(Input, MinMaxRestoreButtons) {
  PostClick(wnd, CentreOf(_T("maxbtn")));
  ASSERT_TRUE(PumpUntil([&] { return ::IsZoomed(wnd) != FALSE; }));
  // Maximised: the restore button replaces the maximise button.
  EXPECT_FALSE(wnd.Find(_T("maxbtn"))->IsVisible());
  EXPECT_TRUE(wnd.Find(_T("restorebtn"))->IsVisible());
  Pump(50);
  wnd.GetPaintManager().UpdateLayout();

  PostClick(wnd, CentreOf(_T("restorebtn")));
  ASSERT_TRUE(PumpUntil([&] { return !::IsZoomed(wnd); }));
  EXPECT_TRUE(wnd.Find(_T("maxbtn"))->IsVisible());
  // Hidden while hot, the maximise button comes back plain.
  EXPECT_EQ(static_cast<CButtonUI*>(wnd.Find(_T("maxbtn")))->GetButtonState() & UISTATE_HOT, 0u);
  EXPECT_FALSE(wnd.Find(_T("restorebtn"))->IsVisible());
  Pump(50);
  wnd.GetPaintManager().UpdateLayout();

  PostClick(wnd, CentreOf(_T("minbtn")));
  ASSERT_TRUE(PumpUntil([&] { return ::IsIconic(wnd) != FALSE; }));
  std::vector<std::wstring> expected = {L"maxbtn", L"restorebtn", L"minbtn"};
  EXPECT_EQ(wnd.clicks, expected);
}

TEST_F(Input, HitTestFindsCaptionButtonsAndBorders) {
  auto hit = [&](POINT client) {
    POINT screen = ToScreen(client);
    return ::SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
  };
  EXPECT_EQ(hit({100, 16}), HTCAPTION);            // the title label
  EXPECT_EQ(hit(CentreOf(_T("closebtn"))), HTCLIENT);  // buttons stay clickable
  EXPECT_EQ(hit({1, 150}), HTLEFT);
  EXPECT_EQ(hit({398, 150}), HTRIGHT);
  EXPECT_EQ(hit({1, 1}), HTTOPLEFT);
  EXPECT_EQ(hit({200, 298}), HTBOTTOM);
  EXPECT_EQ(hit({200, 150}), HTCLIENT);
}

TEST_F(Input, DraggingTheCaptionMovesTheWindow) {
  RECT before = {};
  ::GetWindowRect(wnd, &before);
  const POINT grab = ToScreen({100, 16});
  // The move loop runs modally inside DefWindowProc while RunXdotool pumps.
  std::wstring drag = XMove(grab) + L"sleep 0.1 mousedown 1 sleep 0.2 ";
  for (int step = 1; step <= 5; ++step) drag += XMove({grab.x + 12 * step, grab.y + 8 * step}) + L"sleep 0.05 ";
  drag += L"mouseup 1";
  ASSERT_TRUE(RunXdotool(drag));
  RECT after = {};
  ::GetWindowRect(wnd, &after);
  EXPECT_EQ(after.left - before.left, 60);
  EXPECT_EQ(after.top - before.top, 40);
  EXPECT_TRUE(wnd.clicks.empty());
}
