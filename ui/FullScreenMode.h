// Full screen for the game window: the window over the whole screen without a
// frame, the bar at the top centre (CDuiFormFullScreen) and the way back to
// the placement the window had. The bar's place is worked out here only.
#pragma once

#include <windows.h>

class CDuiFormFullScreen;

class CFullScreenMode {
 public:
  CFullScreenMode();
  CFullScreenMode(const CFullScreenMode&) = delete;
  CFullScreenMode& operator=(const CFullScreenMode&) = delete;

  // Makes the bar first, hidden, owned by |window|, which it asks to leave
  // full screen; then remembers |window|'s placement and stretches it over
  // the whole screen, taskbar included. When the bar cannot be made (its
  // layout missing or damaged) nothing changes and the answer is false.
  bool Enter(HWND window);
  // Keeps |window| frameless over the screen (its layout calls this while on).
  void CoverScreen(HWND window) const;
  // Places the bar that Enter made and shows it without taking the keyboard.
  void ShowBar();
  // Gives |window| |style| and its old placement back and closes the bar.
  void Leave(HWND window, DWORD style);
  // The window is going away, and the bar it owns with it.
  void ForgetBar() { m_pFullScreenBar = nullptr; }

  bool IsOn() const { return m_fullScreen; }

  // The bar's rectangle, |dy| pixels below the top of the screen: its scaled
  // size, centred on the work area's width (from 0; a work area narrower than
  // the bar aligns their right edges first).
  static RECT BarRect(int dy);

  bool m_fullScreen;
  WINDOWPLACEMENT m_savedPlacement;
  CDuiFormFullScreen* m_pFullScreenBar;
};
