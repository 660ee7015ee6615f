// The notification-area icon behind which the boss key hides the game window.
// It is added when the window hides and removed in one place, Remove: when the
// window comes back and when it goes away.
#pragma once

#include <windows.h>
#include <shellapi.h>

class CTrayIcon {
 public:
  CTrayIcon();
  ~CTrayIcon();
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // Adds the icon for |window| (its clicks come back as WM_TRAY_NOTIFY) and
  // hides the window, even when the icon could not be added.
  void HideWindow(HWND window);
  // Shows the window again, activated, and removes the icon.
  void RestoreWindow();
  // Removes the icon if it is there.
  void Remove();

  NOTIFYICONDATAW m_trayData;
  // The icon is in the notification area.
  bool m_trayAdded;
  // The window is hidden behind the icon.
  bool m_hiddenToTray;

  static const UINT kIconId = 102;
};
