// Layout files become control trees with positions from their containers.
#include <gtest/gtest.h>

#include "duilib_test_support.h"

using namespace duitest;

namespace {

HWND CreateStandard(TestWnd& wnd) {
  return wnd.Create(NULL, _T("layout"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0);
}

void ExpectRect(CControlUI* control, LONG l, LONG t, LONG r, LONG b) {
  ASSERT_NE(control, nullptr);
  const RECT& rc = control->GetPos();
  EXPECT_EQ(rc.left, l) << control->GetName().GetData();
  EXPECT_EQ(rc.top, t) << control->GetName().GetData();
  EXPECT_EQ(rc.right, r) << control->GetName().GetData();
  EXPECT_EQ(rc.bottom, b) << control->GetName().GetData();
}

}  // namespace

TEST(Layout, BuildsTheControlTreeWithContainerPositions) {
  TestWnd wnd(_T("standard.xml"));
  ASSERT_NE(CreateStandard(wnd), nullptr);
  EXPECT_EQ(wnd.inits, 1);

  // CW_USEDEFAULT sizes come from the layout, and the client is the whole window.
  RECT window = {}, client = {};
  ::GetWindowRect(wnd, &window);
  ::GetClientRect(wnd, &client);
  EXPECT_EQ(window.right - window.left, 400);
  EXPECT_EQ(window.bottom - window.top, 300);
  EXPECT_EQ(client.right, 400);
  EXPECT_EQ(client.bottom, 300);

  ExpectRect(wnd.Find(_T("root")), 0, 0, 400, 300);
  ExpectRect(wnd.Find(_T("top")), 0, 0, 400, 32);
  ExpectRect(wnd.Find(_T("title")), 8, 0, 280, 32);  // the rest after padding and three buttons
  ExpectRect(wnd.Find(_T("minbtn")), 280, 0, 320, 32);
  ExpectRect(wnd.Find(_T("maxbtn")), 320, 0, 360, 32);
  ExpectRect(wnd.Find(_T("closebtn")), 360, 0, 400, 32);
  ExpectRect(wnd.Find(_T("body")), 0, 32, 400, 300);
  // Hidden controls take no room; fixed heights are centred across the row.
  ExpectRect(wnd.Find(_T("okbtn")), 0, 141, 100, 191);
  ExpectRect(wnd.Find(_T("check")), 100, 151, 180, 181);
  ExpectRect(wnd.Find(_T("combo")), 180, 151, 260, 181);
  ExpectRect(wnd.Find(_T("ghost")), 0, 0, 0, 0);  // hidden float: never placed

  EXPECT_EQ(wnd.Find(_T("top"))->GetHeight(), 32);
  EXPECT_STREQ(wnd.Find(_T("root"))->GetClass(), _T("VerticalLayoutUI"));
  EXPECT_STREQ(wnd.Find(_T("okbtn"))->GetClass(), _T("ButtonUI"));
  EXPECT_STREQ(wnd.Find(_T("check"))->GetClass(), _T("CheckBoxUI"));
  EXPECT_STREQ(wnd.Find(_T("combo"))->GetClass(), _T("ComboUI"));
  EXPECT_TRUE(wnd.Find(_T("combo"))->GetText() == _T("a"));
  ::DestroyWindow(wnd);
}

TEST(Layout, FindControlReturnsNullForUnknownNames) {
  TestWnd wnd(_T("standard.xml"));
  ASSERT_NE(CreateStandard(wnd), nullptr);
  EXPECT_EQ(wnd.Find(_T("nosuchcontrol")), nullptr);
  EXPECT_EQ(wnd.Find(_T("")), nullptr);
  // An element of an unknown type is left out, with everything inside it.
  EXPECT_EQ(wnd.Find(_T("unknown")), nullptr);
  EXPECT_EQ(wnd.Find(_T("insideUnknown")), nullptr);
  ::DestroyWindow(wnd);
}

TEST(Layout, SetPosTextAndVisibilityTakeEffect) {
  TestWnd wnd(_T("standard.xml"));
  ASSERT_NE(CreateStandard(wnd), nullptr);
  CControlUI* title = wnd.Find(_T("title"));
  title->SetText(_T("Game page title"));
  EXPECT_TRUE(title->GetText() == _T("Game page title"));

  CControlUI* top = wnd.Find(_T("top"));
  top->SetPos(RECT{0, 0, 300, 32});
  EXPECT_EQ(top->GetWidth(), 300);
  EXPECT_EQ(top->GetHeight(), 32);

  // Hiding a control gives its room to the others at the next layout.
  wnd.Find(_T("okbtn"))->SetVisible(false);
  EXPECT_FALSE(wnd.Find(_T("okbtn"))->IsVisible());
  wnd.GetPaintManager().UpdateLayout();
  EXPECT_EQ(wnd.Find(_T("check"))->GetPos().left, 0);
  ::DestroyWindow(wnd);
}

TEST(Layout, MissingOrMalformedLayoutFailsCreationCleanly) {
  TestWnd missing(_T("does-not-exist.xml"));
  EXPECT_EQ(missing.Create(NULL, _T("missing"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
  EXPECT_EQ(missing.GetHWND(), nullptr);
  EXPECT_EQ(missing.inits, 0);

  WriteSkin(L"broken.xml", "<Window size=\"100,100\"><VerticalLayout><Button name=\"a\"></VerticalLayout>");
  TestWnd broken(_T("broken.xml"));
  EXPECT_EQ(broken.Create(NULL, _T("broken"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
  EXPECT_EQ(broken.inits, 0);

  WriteSkin(L"nocontrols.xml", "<Window size=\"100,100\"><Font name=\"Segoe UI\" size=\"12\"/></Window>");
  TestWnd empty(_T("nocontrols.xml"));
  EXPECT_EQ(empty.Create(NULL, _T("empty"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);

  // The same object can still make a window once the layout is there.
  WriteSkin(L"does-not-exist.xml", kStandardSkin);
  EXPECT_NE(missing.Create(NULL, _T("found"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
  EXPECT_EQ(missing.inits, 1);
  ::DestroyWindow(missing);
  ::DeleteFileW((SkinFolder() + L"does-not-exist.xml").c_str());
}

TEST(Layout, HiddenControlsDoNotPaint) {
  TestWnd wnd(_T("standard.xml"));
  ASSERT_NE(CreateStandard(wnd), nullptr);
  auto* probe = static_cast<CPaintProbeUI*>(wnd.Find(_T("probe")));
  ASSERT_NE(probe, nullptr);

  // Render through WM_PRINTCLIENT into a bitmap whose pixels we can read.
  auto render = [&](POINT at) {
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 400, 300);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::SendMessageW(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    COLORREF pixel = ::GetPixel(memory, at.x, at.y);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixel;
  };
  const POINT ghostCentre = {330, 32 + 220};
  EXPECT_NE(render(ghostCentre), RGB(255, 0, 0));
  EXPECT_EQ(render({50, 166}), RGB(0, 255, 0));  // okbtn paints
  EXPECT_EQ(probe->paints, 0);

  wnd.Find(_T("ghost"))->SetVisible(true);
  probe->SetVisible(true);
  EXPECT_EQ(render(ghostCentre), RGB(255, 0, 0));
  EXPECT_GT(probe->paints, 0);
  ::DestroyWindow(wnd);
}
