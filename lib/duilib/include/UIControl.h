// CControlUI: the base of every control: name, text, position, fixed size,
// visibility, colours and border, painting and mouse events.
#pragma once

#include <windows.h>
#include "UIDefine.h"

namespace DuiLib {

class CPaintManagerUI;

class CControlUI {
 public:
  CControlUI();
  virtual ~CControlUI();
  CControlUI(const CControlUI&) = delete;
  CControlUI& operator=(const CControlUI&) = delete;

  virtual LPCTSTR GetClass() const;
  virtual LPVOID GetInterface(LPCTSTR pstrName);

  virtual CDuiString GetName() const { return m_sName; }
  virtual void SetName(LPCTSTR pstrName) { m_sName = pstrName; }
  virtual CDuiString GetText() const { return m_sText; }
  virtual void SetText(LPCTSTR pstrText);

  CPaintManagerUI* GetManager() const { return m_pManager; }
  CControlUI* GetParent() const { return m_pParent; }
  virtual void SetManager(CPaintManagerUI* pManager, CControlUI* pParent);

  // Position in client coordinates of the window.
  virtual const RECT& GetPos() const { return m_rcItem; }
  virtual void SetPos(RECT rc, bool bNeedInvalidate = true);
  int GetWidth() const { return m_rcItem.right - m_rcItem.left; }
  int GetHeight() const { return m_rcItem.bottom - m_rcItem.top; }
  int GetX() const { return m_rcItem.left; }
  int GetY() const { return m_rcItem.top; }

  // Size wishes for the parent layout; 0 means "take what is left".
  int GetFixedWidth() const { return m_cxyFixed.cx; }
  void SetFixedWidth(int cx);
  int GetFixedHeight() const { return m_cxyFixed.cy; }
  void SetFixedHeight(int cy);
  virtual SIZE EstimateSize(SIZE szAvailable);
  RECT GetPadding() const { return m_rcPadding; }
  void SetPadding(RECT rc);
  // A float control is placed at m_rcFloat inside its parent, outside the flow.
  bool IsFloat() const { return m_bFloat; }
  const RECT& GetFloatPos() const { return m_rcFloat; }

  // Visible only if it and all its parents are.
  virtual bool IsVisible() const { return m_bVisible && m_bInternVisible; }
  virtual void SetVisible(bool bVisible = true);
  virtual void SetInternVisible(bool bVisible = true);
  bool IsEnabled() const { return m_bEnabled; }
  void SetEnabled(bool bEnable = true);
  bool IsMouseEnabled() const { return m_bMouseEnabled; }
  void SetMouseEnabled(bool bEnable = true) { m_bMouseEnabled = bEnable; }

  DWORD GetBkColor() const { return m_dwBkColor; }
  void SetBkColor(DWORD dwColor);
  DWORD GetBorderColor() const { return m_dwBorderColor; }
  void SetBorderColor(DWORD dwColor);
  int GetBorderSize() const { return m_nBorderSize; }
  void SetBorderSize(int nSize);
  SIZE GetBorderRound() const { return m_cxyBorderRound; }
  void SetBorderRound(SIZE cxyRound);

  // The deepest visible control under pt that takes the mouse, or null.
  virtual CControlUI* FindControlAt(POINT pt);
  // This control or a descendant named pstrName, or null.
  virtual CControlUI* FindControlByName(LPCTSTR pstrName);

  virtual void Invalidate();
  void NeedUpdate();
  void NeedParentUpdate();

  virtual bool Activate();
  virtual void DoEvent(TEventUI& event);
  virtual void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue);

  virtual void DoPaint(HDC hDC, const RECT& rcPaint);
  virtual void PaintBkColor(HDC hDC);
  virtual void PaintText(HDC hDC);
  virtual void PaintBorder(HDC hDC);

 protected:
  CPaintManagerUI* m_pManager = nullptr;
  CControlUI* m_pParent = nullptr;
  CDuiString m_sName;
  CDuiString m_sText;
  RECT m_rcItem = {0, 0, 0, 0};
  RECT m_rcPadding = {0, 0, 0, 0};
  RECT m_rcFloat = {0, 0, 0, 0};
  SIZE m_cxyFixed = {0, 0};
  bool m_bFloat = false;
  bool m_bVisible = true;
  bool m_bInternVisible = true;
  bool m_bEnabled = true;
  bool m_bMouseEnabled = true;
  DWORD m_dwBkColor = 0;
  DWORD m_dwBorderColor = 0;
  int m_nBorderSize = 0;
  SIZE m_cxyBorderRound = {0, 0};
};

}  // namespace DuiLib
