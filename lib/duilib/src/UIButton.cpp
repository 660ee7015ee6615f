#include "UIlib.h"
#include "UIRender.h"

namespace DuiLib {

CButtonUI::CButtonUI() { m_uTextStyle = DT_CENTER | DT_VCENTER; }

LPCTSTR CButtonUI::GetClass() const { return _T("ButtonUI"); }

LPVOID CButtonUI::GetInterface(LPCTSTR pstrName) {
  if (lstrcmpW(pstrName, _T("Button")) == 0) return this;
  return CLabelUI::GetInterface(pstrName);
}

bool CButtonUI::Activate() {
  if (!CControlUI::Activate()) return false;
  if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_CLICK);
  return true;
}

void CButtonUI::DoEvent(TEventUI& event) {
  switch (event.Type) {
    case UIEVENT_MOUSEENTER:
      if (IsEnabled()) { m_uButtonState |= UISTATE_HOT; Invalidate(); }
      break;
    case UIEVENT_MOUSELEAVE:
      m_uButtonState &= ~UISTATE_HOT;
      Invalidate();
      break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
      if (IsEnabled()) { m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED; Invalidate(); }
      break;
    case UIEVENT_MOUSEMOVE:
      if (m_uButtonState & UISTATE_CAPTURED) {
        // Pushed only while the pressed mouse is over the button.
        if (::PtInRect(&m_rcItem, event.ptMouse)) m_uButtonState |= UISTATE_PUSHED;
        else m_uButtonState &= ~UISTATE_PUSHED;
        Invalidate();
      }
      break;
    case UIEVENT_BUTTONUP:
      if (m_uButtonState & UISTATE_CAPTURED) {
        const bool inside = ::PtInRect(&m_rcItem, event.ptMouse) != FALSE;
        m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
        Invalidate();
        // Last: the click may close the window or hide this button.
        if (inside) Activate();
      }
      break;
    default:
      break;
  }
}

void CButtonUI::SetVisible(bool bVisible) {
  if (!bVisible) m_uButtonState &= UISTATE_SELECTED;
  CLabelUI::SetVisible(bVisible);
}

void CButtonUI::SetInternVisible(bool bVisible) {
  if (!bVisible) m_uButtonState &= UISTATE_SELECTED;
  CLabelUI::SetInternVisible(bVisible);
}

void CButtonUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  const CDuiString name(pstrName);
  if (name == _T("glyph")) m_sGlyph = pstrValue;
  else if (name == _T("hotbkcolor")) m_dwHotBkColor = parse::Color(pstrValue);
  else if (name == _T("pushedbkcolor")) m_dwPushedBkColor = parse::Color(pstrValue);
  else if (name == _T("hottextcolor")) m_dwHotTextColor = parse::Color(pstrValue);
  else if (name == _T("pushedtextcolor")) m_dwPushedTextColor = parse::Color(pstrValue);
  else if (name == _T("hotbordercolor")) m_dwHotBorderColor = parse::Color(pstrValue);
  else CLabelUI::SetAttribute(pstrName, pstrValue);
}

DWORD CButtonUI::CurrentTextColor() const {
  if (!m_bEnabled) return m_dwDisabledTextColor;
  if ((m_uButtonState & UISTATE_PUSHED) && IsDrawnColor(m_dwPushedTextColor)) return m_dwPushedTextColor;
  if ((m_uButtonState & (UISTATE_HOT | UISTATE_PUSHED)) && IsDrawnColor(m_dwHotTextColor)) return m_dwHotTextColor;
  return m_dwTextColor;
}

void CButtonUI::PaintBkColor(HDC hDC) {
  DWORD color = m_dwBkColor;
  if ((m_uButtonState & UISTATE_PUSHED) && IsDrawnColor(m_dwPushedBkColor)) color = m_dwPushedBkColor;
  else if ((m_uButtonState & (UISTATE_HOT | UISTATE_PUSHED)) && IsDrawnColor(m_dwHotBkColor)) color = m_dwHotBkColor;
  render::FillRect(hDC, m_rcItem, color, m_cxyBorderRound);
}

void CButtonUI::PaintText(HDC hDC) {
  if (!m_sGlyph.IsEmpty()) {
    render::DrawGlyph(hDC, m_rcItem, m_sGlyph, CurrentTextColor());
    return;
  }
  CLabelUI::PaintText(hDC);
}

void CButtonUI::PaintBorder(HDC hDC) {
  DWORD color = m_dwBorderColor;
  if ((m_uButtonState & UISTATE_HOT) && IsDrawnColor(m_dwHotBorderColor)) color = m_dwHotBorderColor;
  render::FrameRect(hDC, m_rcItem, color, m_nBorderSize, m_cxyBorderRound);
}

LPCTSTR CCheckBoxUI::GetClass() const { return _T("CheckBoxUI"); }

LPVOID CCheckBoxUI::GetInterface(LPCTSTR pstrName) {
  if (lstrcmpW(pstrName, _T("CheckBox")) == 0) return this;
  return CButtonUI::GetInterface(pstrName);
}

void CCheckBoxUI::Selected(bool bSelected, bool bNotify) {
  if (IsSelected() == bSelected) return;
  if (bSelected) m_uButtonState |= UISTATE_SELECTED;
  else m_uButtonState &= ~UISTATE_SELECTED;
  Invalidate();
  if (bNotify && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_SELECTCHANGED);
}

bool CCheckBoxUI::Activate() {
  if (!CControlUI::Activate()) return false;
  Selected(!IsSelected());
  if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_CLICK);
  return true;
}

void CCheckBoxUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  const CDuiString name(pstrName);
  if (name == _T("selected")) Selected(parse::Bool(pstrValue), false);
  else if (name == _T("checkcolor")) m_dwCheckColor = parse::Color(pstrValue);
  else CButtonUI::SetAttribute(pstrName, pstrValue);
}

void CCheckBoxUI::PaintText(HDC hDC) {
  // A box at the left, the text after it.
  const int size = CDPI::Scale(14);
  const SIZE round = CDPI::Scale(SIZE{4, 4});
  const int top = (m_rcItem.top + m_rcItem.bottom - size) / 2;
  RECT box = {m_rcItem.left + m_rcTextPadding.left, top, m_rcItem.left + m_rcTextPadding.left + size, top + size};
  if (IsSelected()) {
    render::FillRect(hDC, box, m_dwCheckColor, round);
    render::DrawCheckMark(hDC, box, 0xFFFFFFFF);
  } else {
    DWORD frame = (m_uButtonState & UISTATE_HOT) && IsDrawnColor(m_dwHotTextColor) ? m_dwHotTextColor : m_dwTextColor;
    render::FrameRect(hDC, box, frame, CDPI::Scale(1), round);
  }
  RECT text = m_rcItem;
  text.left = box.right + CDPI::Scale(6);
  text.right -= m_rcTextPadding.right;
  render::DrawText(hDC, text, m_sText, CurrentTextColor(), CurrentFont(), (m_uTextStyle & ~(DT_CENTER | DT_RIGHT)));
}

}  // namespace DuiLib
