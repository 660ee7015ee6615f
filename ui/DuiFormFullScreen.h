#pragma once
// The small bar at the top of the screen while the game is in full screen.
// It slides up after three seconds, leaving one pixel row, and slides down
// again when the mouse touches that row. It asks the game window to leave
// full screen; it never changes the game window itself, and never takes the
// keyboard from the game page.

#include "ui/CXMLWnd.h"

class CDuiFormFullScreen : public CXMLWnd {
 public:
  CDuiFormFullScreen();
  ~CDuiFormFullScreen() override;

  DUI_DECLARE_MESSAGE_MAP()

  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void InitWindow() override;
  void OnClick(DuiLib::TNotifyUI& msg) override;
  LRESULT OnMouseMove(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  DuiLib::CControlUI* CreateControl(LPCTSTR pstrClass) override;
  void OnFinalMessage(HWND hWnd) override;

  // The game window; receives WM_EXIT_FULLSCREEN.
  HWND m_hTargetWnd;
  // The bar is pulled down.
  bool m_barShown;

  // The bar's size at 96 DPI; CFullScreenMode::BarRect scales and places it.
  static const int kBarWidth = 210;
  static const int kBarHeight = 34;
  static const UINT kHideTimer = 1;
  static const UINT kHideDelayMs = 3000;
  // The bar's top edge when slid up (-33 at 96 DPI) and pulled down (-1).
  static int HiddenOffset();
  static int ShownOffset();

 private:
  // Puts the bar, on top of everything, dy pixels below the top of the screen.
  void PlaceBar(int dy);
  void AskToLeaveFullScreen();

  // InitWindow has run: the layout was built.
  bool m_windowMade;
};
