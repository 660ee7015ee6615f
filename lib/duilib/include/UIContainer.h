// Containers: CContainerUI stacks its children on its whole area; the
// vertical and horizontal layouts share out their length between them.
#pragma once

#include <vector>
#include "UIControl.h"

namespace DuiLib {

class CContainerUI : public CControlUI {
 public:
  ~CContainerUI() override;

  LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  // The container owns its children and deletes them.
  virtual bool Add(CControlUI* pControl);
  virtual bool AddAt(CControlUI* pControl, int iIndex);
  bool Remove(CControlUI* pControl);
  void RemoveAll();
  CControlUI* GetItemAt(int iIndex) const;
  int GetItemIndex(CControlUI* pControl) const;
  int GetCount() const { return static_cast<int>(m_items.size()); }

  RECT GetInset() const { return m_rcInset; }
  void SetInset(RECT rc);
  int GetChildPadding() const { return m_iChildPadding; }
  void SetChildPadding(int iPadding);

  void SetManager(CPaintManagerUI* pManager, CControlUI* pParent) override;
  void SetVisible(bool bVisible = true) override;
  void SetInternVisible(bool bVisible = true) override;
  void SetPos(RECT rc, bool bNeedInvalidate = true) override;
  CControlUI* FindControlAt(POINT pt) override;
  CControlUI* FindControlByName(LPCTSTR pstrName) override;
  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
  void DoPaint(HDC hDC, const RECT& rcPaint) override;

 protected:
  // The area inside the inset and border, where children go.
  RECT ContentRect(const RECT& rc) const;
  void PlaceFloat(CControlUI* pControl, const RECT& rcContent);
  // The layout of CVerticalLayoutUI (vertical) and CHorizontalLayoutUI.
  void FlowItems(bool vertical);

  std::vector<CControlUI*> m_items;
  RECT m_rcInset = {0, 0, 0, 0};
  int m_iChildPadding = 0;
  // Where fixed-size children sit across the flow: "left/top", "center", "right/bottom".
  CDuiString m_sChildAlign;
  CDuiString m_sChildVAlign;
};

class CVerticalLayoutUI : public CContainerUI {
 public:
  LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;
  void SetPos(RECT rc, bool bNeedInvalidate = true) override;
};

class CHorizontalLayoutUI : public CContainerUI {
 public:
  LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;
  void SetPos(RECT rc, bool bNeedInvalidate = true) override;
};

}  // namespace DuiLib
