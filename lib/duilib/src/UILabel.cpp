#include "UIlib.h"
#include "UIRender.h"

namespace DuiLib {

LPCTSTR CLabelUI::GetClass() const { return _T("LabelUI"); }

LPVOID CLabelUI::GetInterface(LPCTSTR pstrName) {
  if (lstrcmpW(pstrName, _T("Label")) == 0) return this;
  return CControlUI::GetInterface(pstrName);
}

void CLabelUI::SetTextColor(DWORD dwColor) {
  m_dwTextColor = dwColor;
  Invalidate();
}

void CLabelUI::SetFont(int index) {
  m_iFont = index;
  Invalidate();
}

void CLabelUI::SetTextPadding(RECT rc) {
  m_rcTextPadding = rc;
  Invalidate();
}

void CLabelUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  const CDuiString name(pstrName);
  const CDuiString value(pstrValue);
  if (name == _T("textcolor")) SetTextColor(parse::Color(pstrValue));
  else if (name == _T("disabledtextcolor")) m_dwDisabledTextColor = parse::Color(pstrValue);
  else if (name == _T("font")) SetFont(parse::Int(pstrValue));
  else if (name == _T("textpadding")) SetTextPadding(CDPI::Scale(parse::Rect(pstrValue)));
  else if (name == _T("align")) {
    m_uTextStyle &= ~(DT_LEFT | DT_CENTER | DT_RIGHT);
    if (value == _T("center")) m_uTextStyle |= DT_CENTER;
    else if (value == _T("right")) m_uTextStyle |= DT_RIGHT;
    else m_uTextStyle |= DT_LEFT;
  } else if (name == _T("valign")) {
    m_uTextStyle &= ~(DT_TOP | DT_VCENTER | DT_BOTTOM);
    if (value == _T("top")) m_uTextStyle |= DT_TOP;
    else if (value == _T("bottom")) m_uTextStyle |= DT_BOTTOM;
    else m_uTextStyle |= DT_VCENTER;
  } else {
    CControlUI::SetAttribute(pstrName, pstrValue);
  }
}

DWORD CLabelUI::CurrentTextColor() const { return m_bEnabled ? m_dwTextColor : m_dwDisabledTextColor; }

HFONT CLabelUI::CurrentFont() const { return m_pManager ? m_pManager->GetFont(m_iFont) : NULL; }

void CLabelUI::PaintText(HDC hDC) {
  RECT rc = m_rcItem;
  rc.left += m_rcTextPadding.left;
  rc.top += m_rcTextPadding.top;
  rc.right -= m_rcTextPadding.right;
  rc.bottom -= m_rcTextPadding.bottom;
  render::DrawText(hDC, rc, m_sText, CurrentTextColor(), CurrentFont(), m_uTextStyle);
}

}  // namespace DuiLib
