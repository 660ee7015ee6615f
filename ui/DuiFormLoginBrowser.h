#pragma once
// The window that shows the operator's portal page. The login window owns
// it, lays it over part of its own face and keeps it there when it moves.

#include "ui/CXMLWnd.h"

class CDuiFormLoginBrowser : public CXMLWnd {
 public:
  CDuiFormLoginBrowser();
  ~CDuiFormLoginBrowser() override;

  DUI_DECLARE_MESSAGE_MAP()

  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void InitWindow() override;
  void OnClick(DuiLib::TNotifyUI& msg) override;
  DuiLib::CControlUI* CreateControl(LPCTSTR pstrClass) override;

  // Gives the keyboard to the portal page, once its browser exists.
  void FocusPortal();

  // The portal's area at 96 DPI, from the window's top-left corner.
  static const int kBrowserWidth = 630;
  static const int kBrowserHeight = 385;
};
