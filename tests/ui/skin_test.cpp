// The four layout files: the control names the windows look up, the fixed
// sizes, and text that fits its control.
#include <gtest/gtest.h>

#include "ui_test_support.h"

using namespace uitest;

namespace {

struct SkinCase {
  LPCTSTR file;
  std::vector<LPCTSTR> names;
};

const SkinCase kSkins[] = {
    {_T("FormLogin.xml"), {_T("playbtn"), _T("closebtn"), _T("CheckBox"), _T("combo")}},
    {_T("FormLoginBrowser.xml"), {}},
    {_T("FormGame.xml"),
     {_T("topBg"), _T("title"), _T("minbtn"), _T("maxbtn"), _T("restorebtn"), _T("closebtn"), _T("rechargebtn"),
      _T("bosskeybtn"), _T("fullscreenbtn")}},
    {_T("FormFullScreen.xml"), {_T("FullScreen"), _T("fullscreenbtn")}},
};

class Skin : public ::testing::TestWithParam<SkinCase> {
 protected:
  void SetUp() override {
    ASSERT_NE(wnd.Create(NULL, _T("skin"), 0x10cf0000, 0), nullptr) << "cannot load " << GetParam().file;
    Pump();
  }
  void TearDown() override {
    if (::IsWindow(wnd)) ::DestroyWindow(wnd);
  }
  ProbeForm wnd{GetParam().file};
};

SIZE ClientSize(HWND hwnd) {
  RECT rc = {};
  ::GetClientRect(hwnd, &rc);
  return SIZE{rc.right, rc.bottom};
}

}  // namespace

TEST_P(Skin, HoldsTheNamedControls) {
  for (LPCTSTR name : GetParam().names) EXPECT_NE(wnd.Find(name), nullptr) << name;
}

TEST_P(Skin, ControlsStayInsideTheirParents) {
  ForEachControl(wnd.Manager().GetRoot(), [](CControlUI* control) {
    CControlUI* parent = control->GetParent();
    if (!parent || !control->IsVisible()) return;
    RECT inside = {};
    const RECT& rc = control->GetPos();
    const RECT& outer = parent->GetPos();
    ::IntersectRect(&inside, &rc, &outer);
    EXPECT_TRUE(::EqualRect(&inside, &rc)) << control->GetClass() << " " << control->GetName().GetData();
  });
}

TEST_P(Skin, TextFitsItsControl) {
  HDC dc = ::GetDC(wnd);
  ForEachControl(wnd.Manager().GetRoot(), [&](CControlUI* control) {
    auto* label = static_cast<CLabelUI*>(control->GetInterface(_T("Label")));
    if (!label || !label->IsVisible() || label->GetText().IsEmpty()) return;
    // A combo's items live in its closed list; the combo shows the chosen one.
    if (control->GetParent() && control->GetParent()->GetInterface(_T("Combo"))) return;
    HGDIOBJ old = ::SelectObject(dc, wnd.Manager().GetFont(label->GetFont()));
    SIZE text = {};
    CDuiString s = label->GetText();
    ::GetTextExtentPoint32W(dc, s, s.GetLength(), &text);
    ::SelectObject(dc, old);
    RECT padding = label->GetTextPadding();
    int room = label->GetWidth() - padding.left - padding.right;
    if (control->GetInterface(_T("CheckBox"))) room -= 20;  // the box and its gap
    EXPECT_LE(text.cx, room) << "text overflows: " << s.GetData();
    EXPECT_LE(text.cy, label->GetHeight() - padding.top - padding.bottom) << s.GetData();
  });
  ::ReleaseDC(wnd, dc);
}

INSTANTIATE_TEST_SUITE_P(Layouts, Skin, ::testing::ValuesIn(kSkins));

TEST(SkinSizes, GameTopBarIs32PixelsAndHoldsTheTitleAndButtons) {
  ProbeForm wnd(_T("FormGame.xml"));
  ASSERT_NE(wnd.Create(NULL, _T("Velmora"), 0x96CF0000, 0x00040100), nullptr);
  CControlUI* top = wnd.Find(_T("topBg"));
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->GetPos().top, 0);
  EXPECT_EQ(top->GetHeight(), 32);
  EXPECT_EQ(top->GetWidth(), ClientSize(wnd).cx);
  for (LPCTSTR name : {_T("title"), _T("minbtn"), _T("maxbtn"), _T("closebtn"), _T("rechargebtn"),
                       _T("bosskeybtn"), _T("fullscreenbtn")}) {
    CControlUI* control = wnd.Find(name);
    bool inside = false;
    for (CControlUI* p = control->GetParent(); p; p = p->GetParent()) inside = inside || p == top;
    EXPECT_TRUE(inside) << name;
    EXPECT_LE(control->GetPos().bottom, 32) << name;
  }
  EXPECT_FALSE(wnd.Find(_T("restorebtn"))->IsVisible());  // shown when maximised

  // The game window lays the bar out itself on resize.
  top->SetPos(RECT{0, 0, 1600, top->GetHeight()});
  EXPECT_EQ(wnd.Find(_T("closebtn"))->GetPos().right, 1600);
  ::DestroyWindow(wnd);
}

TEST(SkinSizes, LoginBrowserClientAreaIs630By385) {
  ProbeForm wnd(_T("FormLoginBrowser.xml"));
  ASSERT_NE(wnd.Create(NULL, _T("LoginBrowser"), 0x10cf0000, 0x100), nullptr);
  SIZE client = ClientSize(wnd);
  EXPECT_EQ(client.cx, 630);
  EXPECT_EQ(client.cy, 385);
  ::DestroyWindow(wnd);
}

TEST(SkinSizes, FullScreenBarIs210By34) {
  ProbeForm wnd(_T("FormFullScreen.xml"));
  ASSERT_NE(wnd.Create(NULL, _T("FormGame"), 0x96CF0000, 0x00000180), nullptr);
  RECT rc = {};
  ::GetWindowRect(wnd, &rc);
  EXPECT_EQ(rc.right - rc.left, 210);
  EXPECT_EQ(rc.bottom - rc.top, 34);
  EXPECT_EQ(wnd.Find(_T("FullScreen"))->GetWidth(), 210);
  ::DestroyWindow(wnd);
}

TEST(SkinSizes, LoginWindowLeavesRoomForTheLoginBrowser) {
  ProbeForm wnd(_T("FormLogin.xml"));
  ASSERT_NE(wnd.Create(NULL, _T("Velmora"), 0x10cf0000, 0x40100), nullptr);
  SIZE client = ClientSize(wnd);
  // The portal window sits at (426, 190) first and at (250, 198) after a move.
  EXPECT_GE(client.cx, 426 + 630);
  EXPECT_GE(client.cy, 198 + 385);
  EXPECT_LE(wnd.Find(_T("playbtn"))->GetPos().right, 250);
  ::DestroyWindow(wnd);
}
