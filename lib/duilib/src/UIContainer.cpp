#include "UIlib.h"
#include "UIRender.h"

#include <algorithm>

namespace DuiLib {

CContainerUI::~CContainerUI() { RemoveAll(); }

LPCTSTR CContainerUI::GetClass() const { return _T("ContainerUI"); }

LPVOID CContainerUI::GetInterface(LPCTSTR pstrName) {
  if (lstrcmpW(pstrName, _T("Container")) == 0) return this;
  return CControlUI::GetInterface(pstrName);
}

bool CContainerUI::Add(CControlUI* pControl) { return AddAt(pControl, GetCount()); }

bool CContainerUI::AddAt(CControlUI* pControl, int iIndex) {
  if (!pControl || iIndex < 0 || iIndex > GetCount()) return false;
  m_items.insert(m_items.begin() + iIndex, pControl);
  pControl->SetManager(m_pManager, this);
  pControl->SetInternVisible(IsVisible());
  NeedUpdate();
  return true;
}

bool CContainerUI::Remove(CControlUI* pControl) {
  auto it = std::find(m_items.begin(), m_items.end(), pControl);
  if (it == m_items.end()) return false;
  m_items.erase(it);
  delete pControl;
  NeedUpdate();
  return true;
}

void CContainerUI::RemoveAll() {
  std::vector<CControlUI*> items;
  items.swap(m_items);
  for (CControlUI* item : items) delete item;
}

CControlUI* CContainerUI::GetItemAt(int iIndex) const {
  if (iIndex < 0 || iIndex >= GetCount()) return nullptr;
  return m_items[static_cast<size_t>(iIndex)];
}

int CContainerUI::GetItemIndex(CControlUI* pControl) const {
  auto it = std::find(m_items.begin(), m_items.end(), pControl);
  return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

void CContainerUI::SetInset(RECT rc) {
  m_rcInset = rc;
  NeedUpdate();
}

void CContainerUI::SetChildPadding(int iPadding) {
  m_iChildPadding = iPadding;
  NeedUpdate();
}

void CContainerUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent) {
  for (CControlUI* item : m_items) item->SetManager(pManager, this);
  CControlUI::SetManager(pManager, pParent);
}

void CContainerUI::SetVisible(bool bVisible) {
  if (m_bVisible == bVisible) return;
  CControlUI::SetVisible(bVisible);
  for (CControlUI* item : m_items) item->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool bVisible) {
  CControlUI::SetInternVisible(bVisible);
  for (CControlUI* item : m_items) item->SetInternVisible(IsVisible());
}

RECT CContainerUI::ContentRect(const RECT& rc) const {
  RECT content = rc;
  content.left += m_rcInset.left + m_nBorderSize;
  content.top += m_rcInset.top + m_nBorderSize;
  content.right -= m_rcInset.right + m_nBorderSize;
  content.bottom -= m_rcInset.bottom + m_nBorderSize;
  if (content.right < content.left) content.right = content.left;
  if (content.bottom < content.top) content.bottom = content.top;
  return content;
}

void CContainerUI::PlaceFloat(CControlUI* pControl, const RECT& rcContent) {
  const RECT& pos = pControl->GetFloatPos();
  RECT rc = {rcContent.left + pos.left, rcContent.top + pos.top, rcContent.left + pos.right,
             rcContent.top + pos.bottom};
  pControl->SetPos(rc, false);
}

void CContainerUI::SetPos(RECT rc, bool bNeedInvalidate) {
  CControlUI::SetPos(rc, bNeedInvalidate);
  const RECT content = ContentRect(m_rcItem);
  for (CControlUI* item : m_items) {
    if (!item->IsVisible()) continue;
    if (item->IsFloat()) { PlaceFloat(item, content); continue; }
    // Children of a plain container overlap, each with its padding.
    RECT padding = item->GetPadding();
    RECT child = {content.left + padding.left, content.top + padding.top, content.right - padding.right,
                  content.bottom - padding.bottom};
    SIZE fixed = item->EstimateSize({child.right - child.left, child.bottom - child.top});
    if (fixed.cx > 0 && fixed.cx < child.right - child.left) child.right = child.left + fixed.cx;
    if (fixed.cy > 0 && fixed.cy < child.bottom - child.top) child.bottom = child.top + fixed.cy;
    item->SetPos(child, false);
  }
}

CControlUI* CContainerUI::FindControlAt(POINT pt) {
  if (!IsVisible() || !::PtInRect(&m_rcItem, pt)) return nullptr;
  // Later children paint on top, so they are asked first.
  for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
    if (CControlUI* found = (*it)->FindControlAt(pt)) return found;
  }
  return m_bMouseEnabled ? this : nullptr;
}

CControlUI* CContainerUI::FindControlByName(LPCTSTR pstrName) {
  if (m_sName == pstrName) return this;
  for (CControlUI* item : m_items) {
    if (CControlUI* found = item->FindControlByName(pstrName)) return found;
  }
  return nullptr;
}

void CContainerUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) {
  const CDuiString name(pstrName);
  if (name == _T("inset")) SetInset(CDPI::Scale(parse::Rect(pstrValue)));
  else if (name == _T("childpadding")) SetChildPadding(CDPI::Scale(parse::Int(pstrValue)));
  else if (name == _T("childalign")) m_sChildAlign = pstrValue;
  else if (name == _T("childvalign")) m_sChildVAlign = pstrValue;
  else CControlUI::SetAttribute(pstrName, pstrValue);
}

void CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint) {
  RECT visible;
  if (!::IntersectRect(&visible, &rcPaint, &m_rcItem)) return;
  CControlUI::DoPaint(hDC, rcPaint);
  const int saved = ::SaveDC(hDC);
  ::IntersectClipRect(hDC, m_rcItem.left, m_rcItem.top, m_rcItem.right, m_rcItem.bottom);
  for (CControlUI* item : m_items) {
    if (!item->IsVisible()) continue;
    item->DoPaint(hDC, visible);
  }
  ::RestoreDC(hDC, saved);
}

namespace {

int AlignOffset(const CDuiString& align, int room, int size, LPCTSTR centre, LPCTSTR end) {
  if (align == centre) return (room - size) / 2;
  if (align == end) return room - size;
  return 0;
}

}  // namespace

// Lays the children out one after another along one axis: fixed children
// take their size, the others share what remains evenly (the last one takes
// the rounding rest). Across the axis each is aligned within its room.
void CContainerUI::FlowItems(bool vertical) {
  const RECT content = ContentRect(m_rcItem);
  const SIZE available = {content.right - content.left, content.bottom - content.top};
  auto along = [vertical](SIZE size) -> int { return vertical ? size.cy : size.cx; };
  auto across = [vertical](SIZE size) -> int { return vertical ? size.cx : size.cy; };
  auto before = [vertical](const RECT& pad) -> int { return vertical ? pad.top : pad.left; };
  auto after = [vertical](const RECT& pad) -> int { return vertical ? pad.bottom : pad.right; };
  auto side = [vertical](const RECT& pad) -> int { return vertical ? pad.left : pad.top; };
  auto otherSide = [vertical](const RECT& pad) -> int { return vertical ? pad.right : pad.bottom; };

  int fixedTotal = 0;
  int flexible = 0;
  int visibleCount = 0;
  for (CControlUI* item : m_items) {
    if (!item->IsVisible() || item->IsFloat()) continue;
    ++visibleCount;
    RECT padding = item->GetPadding();
    fixedTotal += before(padding) + after(padding);
    int length = along(item->EstimateSize(available));
    if (length > 0) fixedTotal += length;
    else ++flexible;
  }
  if (visibleCount > 1) fixedTotal += (visibleCount - 1) * m_iChildPadding;
  const int rest = std::max(0, along(available) - fixedTotal);
  int flexibleLeft = flexible;
  int restLeft = rest;

  const CDuiString& align = vertical ? m_sChildAlign : m_sChildVAlign;
  LPCTSTR centre = vertical ? _T("center") : _T("vcenter");
  LPCTSTR end = vertical ? _T("right") : _T("bottom");
  const int crossStart = vertical ? content.left : content.top;
  int pos = vertical ? content.top : content.left;
  for (CControlUI* item : m_items) {
    if (!item->IsVisible()) continue;
    if (item->IsFloat()) { PlaceFloat(item, content); continue; }
    RECT padding = item->GetPadding();
    SIZE size = item->EstimateSize(available);
    int length = along(size);
    if (length <= 0) {
      length = flexibleLeft > 1 ? rest / flexible : restLeft;
      restLeft -= length;
      --flexibleLeft;
    }
    const int room = across(available) - side(padding) - otherSide(padding);
    const int thickness = across(size) > 0 ? std::min<int>(across(size), room) : room;
    const int cross = crossStart + side(padding) + AlignOffset(align, room, thickness, centre, end);
    pos += before(padding);
    RECT placed = vertical ? RECT{cross, pos, cross + thickness, pos + length}
                           : RECT{pos, cross, pos + length, cross + thickness};
    item->SetPos(placed, false);
    pos += length + after(padding) + m_iChildPadding;
  }
}

LPCTSTR CVerticalLayoutUI::GetClass() const { return _T("VerticalLayoutUI"); }

LPVOID CVerticalLayoutUI::GetInterface(LPCTSTR pstrName) {
  if (lstrcmpW(pstrName, _T("VerticalLayout")) == 0) return this;
  return CContainerUI::GetInterface(pstrName);
}

void CVerticalLayoutUI::SetPos(RECT rc, bool bNeedInvalidate) {
  CControlUI::SetPos(rc, bNeedInvalidate);
  FlowItems(true);
}

LPCTSTR CHorizontalLayoutUI::GetClass() const { return _T("HorizontalLayoutUI"); }

LPVOID CHorizontalLayoutUI::GetInterface(LPCTSTR pstrName) {
  if (lstrcmpW(pstrName, _T("HorizontalLayout")) == 0) return this;
  return CContainerUI::GetInterface(pstrName);
}

void CHorizontalLayoutUI::SetPos(RECT rc, bool bNeedInvalidate) {
  CControlUI::SetPos(rc, bNeedInvalidate);
  FlowItems(false);
}

}  // namespace DuiLib
