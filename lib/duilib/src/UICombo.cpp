#include "UIlib.h"
#include "UIRender.h"

namespace DuiLib {

LPCTSTR CListLabelElementUI::GetClass() const { return _T("ListLabelElementUI"); }

LPVOID CListLabelElementUI::GetInterface(LPCTSTR pstrName) {
  if (lstrcmpW(pstrName, _T("ListLabelElement")) == 0) return this;
  return CLabelUI::GetInterface(pstrName);
}

LPCTSTR CComboUI::GetClass() const { return _T("ComboUI"); }

LPVOID CComboUI::GetInterface(LPCTSTR pstrName) {
  if (lstrcmpW(pstrName, _T("Combo")) == 0) return this;
  return CContainerUI::GetInterface(pstrName);
}

bool CComboUI::SelectItem(int iIndex, bool bNotify) {
  if (iIndex < 0 || iIndex >= GetCount()) return false;
  if (iIndex == m_iCurSel) return true;
  m_iCurSel = iIndex;
  Invalidate();
  if (bNotify && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(iIndex));
  return true;
}

CDuiString CComboUI::GetText() const {
  CControlUI* item = GetItemAt(m_iCurSel);
  return item ? item->GetText() : CDuiString();
}

bool CComboUI::AddAt(CControlUI* pControl, int iIndex) {
  if (!CContainerUI::AddAt(pControl, iIndex)) return false;
  if (m_iCurSel < 0) m_iCurSel = 0;
  return true;
}

bool CComboUI::Activate() {
  if (!CControlUI::Activate()) return false;
  if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_CLICK);
  if (GetCount() > 0) SelectItem((m_iCurSel + 1) % GetCount());
  return true;
}

void CComboUI::DoEvent(TEventUI& event) {
  switch (event.Type) {
    case UIEVENT_MOUSEENTER: m_uButtonState |= UISTATE_HOT; Invalidate(); break;
    case UIEVENT_MOUSELEAVE: m_uButtonState &= ~UISTATE_HOT; Invalidate(); break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
      if (IsEnabled()) m_uButtonState |= UISTATE_CAPTURED;
      break;
    case UIEVENT_BUTTONUP:
      if (m_uButtonState & UISTATE_CAPTURED) {
        m_uButtonState &= ~UISTATE_CAPTURED;
        if (::PtInRect(&m_rcItem, event.ptMouse)) Activate();
      }
      break;
    default: break;
  }
}

void CComboUI::SetVisible(bool bVisible) {
  if (!bVisible) m_uButtonState = 0;  // no hover or press survives hiding
  CContainerUI::SetVisible(bVisible);
}

void CComboUI::SetInternVisible(bool bVisible) {
  if (!bVisible) m_uButtonState = 0;
  CContainerUI::SetInternVisible(bVisible);
}

void CComboUI::SetPos(RECT rc, bool bNeedInvalidate) {
  // The items live in the (unopened) list, not in the box.
  CControlUI::SetPos(rc, bNeedInvalidate);
}

CControlUI* CComboUI::FindControlAt(POINT pt) { return CControlUI::FindControlAt(pt); }

void CComboUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  const CDuiString name(pstrName);
  if (name == _T("textcolor")) m_dwTextColor = parse::Color(pstrValue);
  else if (name == _T("hotbkcolor")) m_dwHotBkColor = parse::Color(pstrValue);
  else if (name == _T("font")) m_iFont = parse::Int(pstrValue);
  else if (name == _T("textpadding")) m_rcTextPadding = CDPI::Scale(parse::Rect(pstrValue));
  else if (name == _T("cursel")) m_iCurSel = parse::Int(pstrValue);
  else CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CComboUI::DoPaint(HDC hDC, const RECT& rcPaint) {
  RECT visible;
  if (!::IntersectRect(&visible, &rcPaint, &m_rcItem)) return;
  DWORD bk = (m_uButtonState & UISTATE_HOT) && IsDrawnColor(m_dwHotBkColor) ? m_dwHotBkColor : m_dwBkColor;
  render::FillRect(hDC, m_rcItem, bk, m_cxyBorderRound);
  RECT text = {m_rcItem.left + m_rcTextPadding.left, m_rcItem.top + m_rcTextPadding.top,
               m_rcItem.right - m_rcTextPadding.right, m_rcItem.bottom - m_rcTextPadding.bottom};
  HFONT font = m_pManager ? m_pManager->GetFont(m_iFont) : NULL;
  render::DrawText(hDC, text, GetText(), m_dwTextColor, font, DT_LEFT | DT_VCENTER);
  RECT arrow = {m_rcItem.right - CDPI::Scale(20), m_rcItem.top, m_rcItem.right - CDPI::Scale(4), m_rcItem.bottom};
  render::DrawGlyph(hDC, arrow, _T("arrow"), m_dwTextColor);
  PaintBorder(hDC);
}

}  // namespace DuiLib
