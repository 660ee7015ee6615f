#include "UIlib.h"
#include "UIRender.h"

namespace DuiLib {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
  if (m_pManager) m_pManager->ReapObjects(this);
}

LPCTSTR CControlUI::GetClass() const { return _T("ControlUI"); }

LPVOID CControlUI::GetInterface(LPCTSTR pstrName) {
  if (lstrcmpW(pstrName, _T("Control")) == 0) return this;
  return nullptr;
}

void CControlUI::SetText(LPCTSTR pstrText) {
  if (m_sText == pstrText) return;
  m_sText = pstrText;
  Invalidate();
}

void CControlUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent) {
  m_pManager = pManager;
  m_pParent = pParent;
}

void CControlUI::SetPos(RECT rc, bool bNeedInvalidate) {
  if (rc.right < rc.left) rc.right = rc.left;
  if (rc.bottom < rc.top) rc.bottom = rc.top;
  if (bNeedInvalidate) Invalidate();  // the old place
  m_rcItem = rc;
  if (bNeedInvalidate) Invalidate();  // the new place
}

void CControlUI::SetFixedWidth(int cx) {
  if (cx < 0) return;
  m_cxyFixed.cx = cx;
  NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy) {
  if (cy < 0) return;
  m_cxyFixed.cy = cy;
  NeedParentUpdate();
}

SIZE CControlUI::EstimateSize(SIZE /*szAvailable*/) { return m_cxyFixed; }

void CControlUI::SetPadding(RECT rc) {
  m_rcPadding = rc;
  NeedParentUpdate();
}

void CControlUI::SetVisible(bool bVisible) {
  if (m_bVisible == bVisible) return;
  const bool wasVisible = IsVisible();
  m_bVisible = bVisible;
  if (wasVisible != IsVisible()) {
    if (!IsVisible() && m_pManager) m_pManager->ReapObjects(this);
    NeedParentUpdate();
  }
}

void CControlUI::SetInternVisible(bool bVisible) {
  m_bInternVisible = bVisible;
  if (!IsVisible() && m_pManager) m_pManager->ReapObjects(this);
}

void CControlUI::SetEnabled(bool bEnable) {
  if (m_bEnabled == bEnable) return;
  m_bEnabled = bEnable;
  Invalidate();
}

void CControlUI::SetBkColor(DWORD dwColor) {
  m_dwBkColor = dwColor;
  Invalidate();
}

void CControlUI::SetBorderColor(DWORD dwColor) {
  m_dwBorderColor = dwColor;
  Invalidate();
}

void CControlUI::SetBorderSize(int nSize) {
  m_nBorderSize = nSize;
  Invalidate();
}

void CControlUI::SetBorderRound(SIZE cxyRound) {
  m_cxyBorderRound = cxyRound;
  Invalidate();
}

CControlUI* CControlUI::FindControlAt(POINT pt) {
  if (!IsVisible() || !m_bMouseEnabled || !::PtInRect(&m_rcItem, pt)) return nullptr;
  return this;
}

CControlUI* CControlUI::FindControlByName(LPCTSTR pstrName) {
  return m_sName == pstrName ? this : nullptr;
}

void CControlUI::Invalidate() {
  if (!m_pManager) return;
  RECT rc = m_rcItem;
  // Clip to the parents so a control scrolled out of view doesn't repaint.
  for (CControlUI* parent = m_pParent; parent; parent = parent->GetParent()) {
    RECT parentRect = parent->GetPos();
    if (!::IntersectRect(&rc, &rc, &parentRect)) return;
  }
  m_pManager->Invalidate(rc);
}

void CControlUI::NeedUpdate() {
  if (!m_pManager) return;
  m_pManager->NeedUpdate();
  Invalidate();
}

void CControlUI::NeedParentUpdate() {
  if (m_pParent) {
    m_pParent->NeedUpdate();
    m_pParent->Invalidate();
  } else {
    NeedUpdate();
  }
}

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

void CControlUI::DoEvent(TEventUI& /*event*/) {}

// Pixel values are written for 96 DPI; they are scaled here, once, as the
// layout is read. Values set from code are taken as screen pixels.
void CControlUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  const CDuiString name(pstrName);
  if (name == _T("name")) SetName(pstrValue);
  else if (name == _T("text")) SetText(pstrValue);
  else if (name == _T("width")) SetFixedWidth(CDPI::Scale(parse::Int(pstrValue)));
  else if (name == _T("height")) SetFixedHeight(CDPI::Scale(parse::Int(pstrValue)));
  else if (name == _T("padding")) SetPadding(CDPI::Scale(parse::Rect(pstrValue)));
  else if (name == _T("visible")) SetVisible(parse::Bool(pstrValue));
  else if (name == _T("enabled")) SetEnabled(parse::Bool(pstrValue));
  else if (name == _T("mouse")) SetMouseEnabled(parse::Bool(pstrValue));
  else if (name == _T("bkcolor")) SetBkColor(parse::Color(pstrValue));
  else if (name == _T("bordercolor")) SetBorderColor(parse::Color(pstrValue));
  else if (name == _T("bordersize")) SetBorderSize(CDPI::Scale(parse::Int(pstrValue)));
  else if (name == _T("borderround")) SetBorderRound(CDPI::Scale(parse::Size(pstrValue)));
  else if (name == _T("float")) m_bFloat = parse::Bool(pstrValue);
  else if (name == _T("pos")) {
    // "l,t,r,b" relative to the parent; float placement also fixes the size.
    m_rcFloat = CDPI::Scale(parse::Rect(pstrValue));
    m_cxyFixed.cx = m_rcFloat.right - m_rcFloat.left;
    m_cxyFixed.cy = m_rcFloat.bottom - m_rcFloat.top;
    NeedParentUpdate();
  }
}

void CControlUI::DoPaint(HDC hDC, const RECT& rcPaint) {
  RECT visible;
  if (!::IntersectRect(&visible, &rcPaint, &m_rcItem)) return;
  PaintBkColor(hDC);
  PaintText(hDC);
  PaintBorder(hDC);
}

void CControlUI::PaintBkColor(HDC hDC) { render::FillRect(hDC, m_rcItem, m_dwBkColor, m_cxyBorderRound); }

void CControlUI::PaintText(HDC /*hDC*/) {}

void CControlUI::PaintBorder(HDC hDC) {
  render::FrameRect(hDC, m_rcItem, m_dwBorderColor, m_nBorderSize, m_cxyBorderRound);
}

}  // namespace DuiLib
