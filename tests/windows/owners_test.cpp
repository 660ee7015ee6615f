// The game window's helpers on their own, with real windows under Wine: the
// tray icon, full-screen mode with the bar's placement, and the audio session.
#include <gtest/gtest.h>

#include "audio/AudioSession.h"
#include "audio/CCoreAudioVolume.h"
#include "ui/DuiFormFullScreen.h"
#include "ui/FullScreenMode.h"
#include "ui/TrayIcon.h"
#include "window_test_support.h"

namespace {

HWND MakeTopLevel(const wchar_t* title, DWORD style, const RECT& rect) {
  return CreateWindowExW(0, L"STATIC", title, style, rect.left, rect.top, rect.right - rect.left,
                         rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Whether the icon of |data| is in the notification area: only then can it
// be changed.
bool IconShown(NOTIFYICONDATAW data) {
  data.uFlags = NIF_TIP;
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

SIZE IconSize(HICON icon) {
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return SIZE{0, 0};
  BITMAP bitmap = {};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return SIZE{bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

TEST(TrayIcon, HidesTheWindowBehindASmallIconAndNoIconOutlivesIt) {
  WindowTestEnvironment env;
  HWND window = MakeTopLevel(L"tray owner", WS_POPUP | WS_VISIBLE, RECT{10, 10, 210, 110});
  ASSERT_NE(window, nullptr);
  NOTIFYICONDATAW last = {};
  {
    CTrayIcon tray;
    tray.HideWindow(window);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(tray.m_hiddenToTray);
    ASSERT_TRUE(tray.m_trayAdded) << "Wine's desktop offers a notification area";
    EXPECT_TRUE(IconShown(tray.m_trayData));
    const SIZE size = IconSize(tray.m_trayData.hIcon);
    EXPECT_EQ(size.cx, GetSystemMetrics(SM_CXSMICON)) << "the display's small-icon size";
    EXPECT_EQ(size.cy, GetSystemMetrics(SM_CYSMICON));

    tray.RestoreWindow();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(tray.m_hiddenToTray);
    EXPECT_FALSE(tray.m_trayAdded);
    EXPECT_FALSE(IconShown(tray.m_trayData)) << "the icon goes when the window comes back";
    tray.Remove();  // nothing left: harmless

    // Hidden again, and then the owner goes away while hidden.
    tray.HideWindow(window);
    ASSERT_TRUE(IconShown(tray.m_trayData));
    last = tray.m_trayData;
  }
  EXPECT_FALSE(IconShown(last)) << "no icon is left behind";
  DestroyWindow(window);
}

TEST(FullScreenMode, TheBarIsItsScaledSizeCentredOnTheWorkArea) {
  const RECT work = WorkArea();
  const RECT bar = CFullScreenMode::BarRect(-7);
  EXPECT_EQ(bar.right - bar.left, AtScreenDpi(210));
  EXPECT_EQ(bar.bottom - bar.top, AtScreenDpi(34));
  EXPECT_EQ(bar.left, (work.right - AtScreenDpi(210)) / 2);
  EXPECT_EQ(bar.top, -7);
}

TEST(FullScreenMode, CoversTheScreenShowsTheBarAndGivesEverythingBack) {
  WindowTestEnvironment env;  // the bar's layout comes from the skin folder
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  const RECT normal = {100, 80, 500, 380};
  HWND window = MakeTopLevel(L"full screen owner", style, normal);
  ASSERT_NE(window, nullptr);
  SetForegroundWindow(window);
  PumpMessages();

  CFullScreenMode mode;
  ASSERT_TRUE(mode.Enter(window));
  EXPECT_TRUE(mode.IsOn());
  const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT rect = WindowRect(window);
  EXPECT_TRUE(EqualRect(&rect, &screen));
  mode.CoverScreen(window);
  EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_CAPTION, 0) << "no frame in full screen";

  ASSERT_NE(mode.m_pFullScreenBar, nullptr);
  HWND bar = mode.m_pFullScreenBar->GetHWND();
  EXPECT_FALSE(IsWindowVisible(bar)) << "made hidden, shown once the window covers the screen";
  mode.ShowBar();
  EXPECT_TRUE(IsWindowVisible(bar));
  EXPECT_EQ(GetWindow(bar, GW_OWNER), window);
  EXPECT_EQ(mode.m_pFullScreenBar->m_hTargetWnd, window);
  const RECT expected = CFullScreenMode::BarRect(0);
  RECT barRect = WindowRect(bar);
  EXPECT_TRUE(EqualRect(&barRect, &expected));
  EXPECT_EQ(GetActiveWindow(), window) << "the bar never takes the keyboard";

  mode.Leave(window, style);
  PumpMessages();
  EXPECT_FALSE(mode.IsOn());
  EXPECT_EQ(mode.m_pFullScreenBar, nullptr);
  EXPECT_FALSE(IsWindow(bar));
  rect = WindowRect(window);
  EXPECT_TRUE(EqualRect(&rect, &normal));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
  DestroyWindow(window);
  PumpMessages();
}

TEST(AudioSession, OpensWithSoundOnSwitchesAndLetsTheDevicesGo) {
  CAudioSession audio;
  EXPECT_TRUE(audio.IsSoundOn());
  audio.Open();
  const UINT devices = static_cast<UINT>(CCoreAudioVolume::GetUsableDeviceCount());
  ASSERT_GE(devices, 1u) << "the test runs with ALSA's null device as one playback endpoint";
  EXPECT_EQ(CCoreAudioVolume::GetConfirmedDeviceCount(), devices) << "unmuted and read back";

  audio.Toggle();
  EXPECT_FALSE(audio.IsSoundOn());
  EXPECT_EQ(CCoreAudioVolume::GetConfirmedDeviceCount(), devices) << "muted and read back";
  audio.Toggle();
  EXPECT_TRUE(audio.IsSoundOn());
  EXPECT_EQ(CCoreAudioVolume::GetConfirmedDeviceCount(), devices);

  audio.Close();
  EXPECT_EQ(CCoreAudioVolume::GetUsableDeviceCount(), 0u);
  audio.Toggle();
  EXPECT_EQ(CCoreAudioVolume::GetConfirmedDeviceCount(), 0u) << "closed, the switch reaches no device";
}

}  // namespace
