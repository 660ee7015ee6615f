// CButtonUI: a label that shows normal, hot and pushed states and reports
// one "click" per press and release on it. CCheckBoxUI adds a selected state.
#pragma once

#include "UILabel.h"

namespace DuiLib {

class CButtonUI : public CLabelUI {
 public:
  CButtonUI();

  LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  UINT GetButtonState() const { return m_uButtonState; }
  // An optional vector icon drawn in the middle (see render::DrawGlyph).
  CDuiString GetGlyph() const { return m_sGlyph; }

  bool Activate() override;
  void DoEvent(TEventUI& event) override;
  // A hidden button drops its hot and pushed states: shown again, it is plain.
  void SetVisible(bool bVisible = true) override;
  void SetInternVisible(bool bVisible = true) override;
  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
  void PaintBkColor(HDC hDC) override;
  void PaintText(HDC hDC) override;
  void PaintBorder(HDC hDC) override;

 protected:
  DWORD CurrentTextColor() const override;

  UINT m_uButtonState = 0;
  CDuiString m_sGlyph;
  DWORD m_dwHotBkColor = 0;
  DWORD m_dwPushedBkColor = 0;
  DWORD m_dwHotTextColor = 0;
  DWORD m_dwPushedTextColor = 0;
  DWORD m_dwHotBorderColor = 0;
};

class CCheckBoxUI : public CButtonUI {
 public:
  LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  bool IsSelected() const { return (m_uButtonState & UISTATE_SELECTED) != 0; }
  void Selected(bool bSelected, bool bNotify = true);
  void SetCheck(bool bCheck) { Selected(bCheck); }
  bool GetCheck() const { return IsSelected(); }

  bool Activate() override;
  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
  void PaintText(HDC hDC) override;

 protected:
  DWORD m_dwCheckColor = 0xFF3D8BFD;
};

}  // namespace DuiLib
