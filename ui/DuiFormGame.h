#pragma once
// The window in which the game is played: the game page in its own browser
// below a 32-pixel top bar (at 96 DPI), with the title, the title-bar buttons,
// and routing of the client's messages. The boss key's tray icon, full screen
// and the sound have owners of their own (CTrayIcon, CFullScreenMode,
// CAudioSession).

#include <windows.h>

#include <string>

#include "audio/AudioSession.h"
#include "include/cef_browser.h"
#include "ui/CXMLWnd.h"
#include "ui/FullScreenMode.h"
#include "ui/TrayIcon.h"

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

  CAudioSession m_audio;
  CTrayIcon m_tray;
  CFullScreenMode m_fullScreenMode;
  // The owners' state under the window's own names, read-only.
  const bool& m_soundOn;
  const NOTIFYICONDATAW& m_trayData;
  const bool& m_trayAdded;
  const bool& m_hiddenToTray;
  const bool& m_fullScreen;
  CDuiFormFullScreen* const& m_pFullScreenBar;

  // Pixel values at 96 DPI; the code scales them (Dpi::Scale).
  static const int kTopBarHeight = 32;
  static const UINT kTrayIconId = CTrayIcon::kIconId;
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
  void EnterFullScreen();
  void LeaveFullScreen();
  // Gives the keyboard to the game page.
  void FocusBrowser();
  // Closes the audio devices and the tray icon and tells the login window.
  void EndGame();
  bool ReadyForLayout() const { return m_pTopBar != nullptr && m_pClient != nullptr; }

  // InitWindow has run: the layout was built and the window is the game's.
  bool m_windowMade;
};
