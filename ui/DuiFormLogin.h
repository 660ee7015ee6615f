#pragma once
// The first window the player sees and the process's home window: it shows
// the portal through the login browser window, hands a finished login over
// to the game window, comes back when the game closes, and ends the process.

#include "ui/CXMLWnd.h"

class CDuiFormGame;
class CDuiFormLoginBrowser;

class CDuiFormLogin : public CXMLWnd {
 public:
  CDuiFormLogin();
  ~CDuiFormLogin() override;

  DUI_DECLARE_MESSAGE_MAP()

  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void InitWindow() override;
  void OnClick(DuiLib::TNotifyUI& msg) override;
  DuiLib::CControlUI* CreateControl(LPCTSTR pstrClass) override;

  CDuiFormLoginBrowser* m_pLoginBrowser;
  CDuiFormGame* m_pGameWnd;
  DuiLib::CControlUI* m_pCheckBox;
  DuiLib::CControlUI* m_pCombo;

  // Where the login browser window sits, from this window's top-left corner:
  // first at creation, then after every move (at 96 DPI; scaled when used).
  static const POINT kFirstBrowserOffset;
  static const POINT kBrowserOffset;

 private:
  // Places the login browser window at |offset| (96 DPI) from this window.
  void PlaceLoginBrowser(POINT offset);
  void HandOver(const wchar_t* url);
  void ShowAgain();
  // Gives the keyboard to the portal page while the login browser is shown.
  void FocusPortal();
  // Shuts CEF down and ends the modal loop, once.
  void EndClient();

  // The game window's handle. The object may be gone before WM_SHOW_LOGIN
  // arrives; the handle can still be checked with IsWindow.
  HWND m_hGameWnd;
  bool m_clientEnded;
};
