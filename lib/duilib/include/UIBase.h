// CWindowWnd: a native window whose messages go to a C++ object.
// CNotifyPump: dispatches notifications through a class's notification map.
#pragma once

#include <windows.h>
#include "UIDefine.h"

namespace DuiLib {

class CNotifyPump {
 public:
  // Calls the first handler of the map chain that matches msg; false if none did.
  bool NotifyPump(TNotifyUI& msg);

  DUI_DECLARE_MESSAGE_MAP()

 protected:
  ~CNotifyPump() = default;
};

class CWindowWnd {
 public:
  CWindowWnd() = default;
  CWindowWnd(const CWindowWnd&) = delete;
  CWindowWnd& operator=(const CWindowWnd&) = delete;

  HWND GetHWND() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  bool RegisterWindowClass();
  bool RegisterSuperclass();

  HWND Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT& rc,
              HMENU hMenu = NULL);
  HWND Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, int x = CW_USEDEFAULT,
              int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT, HMENU hMenu = NULL);

  // true/true shows and activates, true/false shows without activating, false hides.
  void ShowWindow(bool bShow = true, bool bTakeFocus = true);
  // Runs the thread's message loop until this window is gone or WM_QUIT arrives;
  // a WM_QUIT is posted again so that outer loops end too.
  UINT ShowModal();
  void CenterWindow();
  void SetIcon(UINT nRes);
  void ResizeClient(int cx = -1, int cy = -1);

  LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
  LRESULT PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);

  virtual void Close(UINT nRet = IDOK);
  virtual LPCTSTR GetWindowClassName() const = 0;
  virtual LPCTSTR GetSuperClassName() const;
  virtual UINT GetClassStyle() const;
  virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
  virtual void OnFinalMessage(HWND hWnd);
  // A window that outlives its object is unhooked: it no longer calls into it.
  virtual ~CWindowWnd();

 protected:
  static LRESULT CALLBACK __WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

  HWND m_hWnd = NULL;
  WNDPROC m_OldWndProc = ::DefWindowProcW;
};

}  // namespace DuiLib
