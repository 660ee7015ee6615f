// The toolkit's one scaling rule, and its use on what it reads from a layout:
// every pixel value once, by the system DPI / 96. The test command runs this
// at 96 DPI; tests/e2e/dpi_test.py runs it again at 120, 144 and 192 DPI.
#include <gtest/gtest.h>

#include <cstdio>

#include "duilib_test_support.h"

using namespace duitest;

namespace {

const char kScaledSkin[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="400,300" caption="0,0,0,32" sizebox="4,4,4,4" mininfo="200,150" maxinfo="800,600">
  <Font name="Segoe UI" size="13" default="true"/>
  <VerticalLayout name="root" inset="10,6,10,6" bordersize="1" childpadding="4">
    <HorizontalLayout name="bar" height="32">
      <Control name="mark" width="40" padding="12,0,0,0"/>
      <Button name="btn" width="46" borderround="6,6" textpadding="3,0,5,0"/>
    </HorizontalLayout>
    <Container name="body">
      <Label name="floater" float="true" pos="20,52,150,90"/>
    </Container>
  </VerticalLayout>
</Window>)";

// The expected rule, worked out here on its own: value * DPI / 96 to the
// nearest pixel, halves away from zero, at the screen's DPI.
int S(int value) {
  HDC screen = ::GetDC(NULL);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(NULL, screen);
  return (2 * value * dpi + (value < 0 ? -96 : 96)) / 192;
}

void ExpectRect(CControlUI* control, const RECT& expected) {
  ASSERT_NE(control, nullptr);
  const RECT& rc = control->GetPos();
  EXPECT_TRUE(::EqualRect(&rc, &expected))
      << control->GetName().GetData() << ": " << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom
      << " instead of " << expected.left << "," << expected.top << "," << expected.right << "," << expected.bottom;
}

}  // namespace

TEST(Dpi, OneRoundingRuleForEveryScale) {
  EXPECT_EQ(CDPI::Scale(210, 96), 210);
  EXPECT_EQ(CDPI::Scale(210, 120), 263) << "262.5: a half goes away from zero";
  EXPECT_EQ(CDPI::Scale(105, 120), 131) << "131.25";
  EXPECT_EQ(CDPI::Scale(34, 144), 51);
  EXPECT_EQ(CDPI::Scale(1, 120), 1);
  EXPECT_EQ(CDPI::Scale(1, 144), 2);
  EXPECT_EQ(CDPI::Scale(-33, 144), -50) << "-49.5";
  EXPECT_EQ(CDPI::Scale(32, 192), 64);
  const RECT rect = CDPI::Scale(RECT{1, 2, 3, 4});
  EXPECT_EQ(rect.left, S(1));
  EXPECT_EQ(rect.bottom, S(4));
  EXPECT_EQ(CDPI::Scale(SIZE{210, 34}).cy, S(34));
}

TEST(Dpi, TheSystemDpiIsTheScreens) {
  HDC screen = ::GetDC(NULL);
  EXPECT_EQ(CDPI::GetDPI(), ::GetDeviceCaps(screen, LOGPIXELSY));
  ::ReleaseDC(NULL, screen);
  std::printf("system DPI %d\n", CDPI::GetDPI());
}

TEST(Dpi, LayoutPixelValuesAreScaledOnceAsTheLayoutIsRead) {
  WriteSkin(L"scaled.xml", kScaledSkin);
  TestWnd wnd(_T("scaled.xml"));
  ASSERT_NE(wnd.Create(NULL, _T("scaled"), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0), nullptr);
  CPaintManagerUI& manager = wnd.GetPaintManager();

  // The window's own values.
  RECT window = {};
  ::GetWindowRect(wnd, &window);
  EXPECT_EQ(window.right - window.left, S(400));
  EXPECT_EQ(window.bottom - window.top, S(300));
  EXPECT_EQ(manager.GetCaptionRect().bottom, S(32));
  EXPECT_EQ(manager.GetSizeBox().left, S(4));
  EXPECT_EQ(manager.GetMinInfo().cx, S(200));
  EXPECT_EQ(manager.GetMaxInfo().cy, S(600));
  LOGFONTW font = {};
  ASSERT_NE(::GetObjectW(manager.GetFont(0), sizeof(font), &font), 0);
  EXPECT_EQ(font.lfHeight, -S(13)) << "a 13-pixel font at 96 DPI";

  // Insets, borders, heights, widths, paddings, child padding and floats.
  const RECT content = {S(10) + S(1), S(6) + S(1), S(400) - S(10) - S(1), S(300) - S(6) - S(1)};
  ExpectRect(wnd.Find(_T("root")), RECT{0, 0, S(400), S(300)});
  ExpectRect(wnd.Find(_T("bar")), RECT{content.left, content.top, content.right, content.top + S(32)});
  const int markLeft = content.left + S(12);
  ExpectRect(wnd.Find(_T("mark")), RECT{markLeft, content.top, markLeft + S(40), content.top + S(32)});
  ExpectRect(wnd.Find(_T("btn")), RECT{markLeft + S(40), content.top, markLeft + S(40) + S(46), content.top + S(32)});
  const int bodyTop = content.top + S(32) + S(4);
  ExpectRect(wnd.Find(_T("body")), RECT{content.left, bodyTop, content.right, content.bottom});
  ExpectRect(wnd.Find(_T("floater")),
             RECT{content.left + S(20), bodyTop + S(52), content.left + S(150), bodyTop + S(90)});
  auto* button = static_cast<CButtonUI*>(wnd.Find(_T("btn")));
  EXPECT_EQ(button->GetBorderRound().cx, S(6));
  EXPECT_EQ(button->GetTextPadding().right, S(5));
  EXPECT_EQ(static_cast<CContainerUI*>(wnd.Find(_T("root")))->GetChildPadding(), S(4));

  // A size given by code is in screen pixels already: taken as it is.
  wnd.Find(_T("mark"))->SetFixedWidth(50);
  manager.UpdateLayout();
  EXPECT_EQ(wnd.Find(_T("mark"))->GetWidth(), 50);
  ::DestroyWindow(wnd);
}
