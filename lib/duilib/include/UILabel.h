// CLabelUI: one line of text with colour, font, alignment and padding.
#pragma once

#include "UIControl.h"

namespace DuiLib {

class CLabelUI : public CControlUI {
 public:
  LPCTSTR GetClass() const override;
  LPVOID GetInterface(LPCTSTR pstrName) override;

  DWORD GetTextColor() const { return m_dwTextColor; }
  void SetTextColor(DWORD dwColor);
  int GetFont() const { return m_iFont; }
  void SetFont(int index);
  // DT_LEFT / DT_CENTER / DT_RIGHT with DT_TOP / DT_VCENTER / DT_BOTTOM.
  UINT GetTextStyle() const { return m_uTextStyle; }
  RECT GetTextPadding() const { return m_rcTextPadding; }
  void SetTextPadding(RECT rc);

  void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
  void PaintText(HDC hDC) override;

 protected:
  // The text colour for the current state; states of buttons override it.
  virtual DWORD CurrentTextColor() const;
  HFONT CurrentFont() const;

  DWORD m_dwTextColor = 0xFFFFFFFF;
  DWORD m_dwDisabledTextColor = 0xFF808080;
  int m_iFont = -1;
  UINT m_uTextStyle = DT_LEFT | DT_VCENTER;
  RECT m_rcTextPadding = {0, 0, 0, 0};
};

}  // namespace DuiLib
