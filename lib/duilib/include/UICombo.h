// CComboUI: a closed drop-down list. It shows the selected item's text and
// an arrow; a click selects the next item. Items are CListLabelElementUI
// children that are not drawn themselves.
#pragma once

#include "UIContainer.h"
#include "UILabel.h"

namespace DuiLib {

class CListLabelElementUI : public CLabelUI {
 public:
  LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;
};

class CComboUI : public CContainerUI {
 public:
  LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  int GetCurSel() const { return m_iCurSel; }
  bool SelectItem(int iIndex, bool bNotify = true);
  CDuiString GetText() const override;

  // The first item added is selected.
  bool AddAt(CControlUI* pControl, int iIndex) override;
  bool Activate() override;
  void DoEvent(TEventUI& event) override;
  void SetVisible(bool bVisible = true) override;
  void SetInternVisible(bool bVisible = true) override;
  void SetPos(RECT rc, bool bNeedInvalidate = true) override;
  CControlUI* FindControlAt(POINT pt) override;
  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
  void DoPaint(HDC hDC, const RECT& rcPaint) override;

 private:
  int m_iCurSel = -1;
  UINT m_uButtonState = 0;
  DWORD m_dwTextColor = 0xFFFFFFFF;
  DWORD m_dwHotBkColor = 0;
  int m_iFont = -1;
  RECT m_rcTextPadding = {8, 0, 24, 0};
};

}  // namespace DuiLib
