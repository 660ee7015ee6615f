#pragma once
// The window in which the game is played: the game page in its own browser
// below a 32-pixel top bar, with the title, a boss key that hides the game
// behind a tray icon, full screen with a sliding bar, a sound switch, reload,
// and opening of addresses in the system browser.

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "include/cef_browser.h"
#include "ui/CXMLWnd.h"

class CDuiFormFullScreen;
class SimpleHandler;

class CDuiFormGame : public CXMLWnd {
 public:
  CDuiFormGame();
  ~CDuiFormGame() override;

  DUI_DECLARE_MESSAGE_MAP()

  // Stores the start address, then creates the window; InitWindow runs
  // inside and starts the browser on that address. Null when the window
  // could not be made (its layout missing or broken): the object is then
  // the caller's to delete.
  HWND CreateGameWindow(HWND hParent, const std::wstring& url);

  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void InitWindow() override;
  void OnClick(DuiLib::TNotifyUI& msg) override;
  LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
  DuiLib::CControlUI* CreateControl(LPCTSTR pstrClass) override;
  void OnFinalMessage(HWND hWnd) override;

  HWND m_hCreatorWnd;        // the login window; told when this window closes
  std::wstring m_startUrl;   // the game page
  RECT m_rcArea;             // the work area given by the creator, or all zero
  CefRefPtr<SimpleHandler> m_pClient;
  DuiLib::CControlUI* m_pTopBar;
  DuiLib::CControlUI* m_pTitle;
  bool m_soundOn;
  NOTIFYICONDATAW m_trayData;
  bool m_trayAdded;
  bool m_hiddenToTray;
  bool m_fullScreen;
  WINDOWPLACEMENT m_savedPlacement;
  CDuiFormFullScreen* m_pFullScreenBar;

  static const int kTopBarHeight = 32;
  static const UINT kTrayIconId = 102;
  // The browser's size when the creator could not read the work area.
  static const int kFallbackBrowserWidth = 627;
  static const int kFallbackBrowserHeight = 374;

  // The window's width and height: the work area's or, when that could not
  // be read, the layout's own size.
  SIZE WindowSize() const;

 private:
  void CreateBrowser();
  void CenterAndShow();
  void Layout();
  void HideToTray();
  void RestoreFromTray();
  void EnterFullScreen();
  void LeaveFullScreen();
  // Gives the keyboard to the game page.
  void FocusBrowser();
  // Closes the audio devices and the tray icon and tells the login window.
  void EndGame();
  bool ReadyForLayout() const { return m_pTopBar != nullptr && m_pClient != nullptr; }

  // InitWindow has run: the layout was built and the window is the game's.
  bool m_windowMade;
  // InitWindow's own COM initialisation took and is undone by EndGame.
  bool m_comInitialized;
};
