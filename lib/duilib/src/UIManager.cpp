#include "UIlib.h"
#include "UIRender.h"

#include <algorithm>

namespace DuiLib {

namespace {

HINSTANCE g_instance = NULL;
CDuiString g_resourcePath;
// Every initialised manager, for TranslateMessage.
std::vector<CPaintManagerUI*> g_managers;

template <class T>
bool AddOnce(std::vector<T*>& list, T* item) {
  if (!item || std::find(list.begin(), list.end(), item) != list.end()) return false;
  list.push_back(item);
  return true;
}

template <class T>
bool RemoveItem(std::vector<T*>& list, T* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return false;
  list.erase(it);
  return true;
}

// True if control is ancestor or control itself.
bool IsWithin(CControlUI* control, CControlUI* ancestor) {
  for (; control; control = control->GetParent()) {
    if (control == ancestor) return true;
  }
  return false;
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() = default;

CPaintManagerUI::~CPaintManagerUI() {
  Detach();
  m_nDispatchDepth = 0;
  DeleteRoot();
  for (TFontInfo& font : m_fonts) ::DeleteObject(font.hFont);
  if (m_hDefaultFont) ::DeleteObject(m_hDefaultFont);
}

void CPaintManagerUI::SetInstance(HINSTANCE hInst) { g_instance = hInst; }

HINSTANCE CPaintManagerUI::GetInstance() { return g_instance ? g_instance : ::GetModuleHandleW(NULL); }

CDuiString CPaintManagerUI::GetInstancePath() {
  wchar_t path[MAX_PATH + 1] = {};
  ::GetModuleFileNameW(GetInstance(), path, MAX_PATH);
  wchar_t* slash = wcsrchr(path, L'\\');
  if (slash) slash[1] = 0;
  return CDuiString(path);
}

CDuiString CPaintManagerUI::GetCurrentPath() {
  wchar_t path[MAX_PATH + 1] = {};
  ::GetCurrentDirectoryW(MAX_PATH, path);
  return CDuiString(path);
}

void CPaintManagerUI::SetResourcePath(LPCTSTR pStrPath) {
  g_resourcePath = pStrPath;
  if (g_resourcePath.IsEmpty()) return;
  TCHAR last = g_resourcePath.GetAt(g_resourcePath.GetLength() - 1);
  if (last != L'\\' && last != L'/') g_resourcePath += L'\\';
}

const CDuiString& CPaintManagerUI::GetResourcePath() { return g_resourcePath; }

bool CPaintManagerUI::TranslateMessage(const LPMSG pMsg) {
  const bool keyboard = pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST;
  std::vector<CPaintManagerUI*> managers = g_managers;
  for (CPaintManagerUI* manager : managers) {
    // A filter may have closed a window (and its manager) on the way.
    if (std::find(g_managers.begin(), g_managers.end(), manager) == g_managers.end()) continue;
    HWND window = manager->GetPaintWindow();
    if (!window) continue;
    // Keys typed in a child window (a browser, say) belong to the window too.
    bool mine = pMsg->hwnd == window || (keyboard && ::IsChild(window, pMsg->hwnd));
    if (!mine) continue;
    LRESULT result = 0;
    if (manager->PreMessageHandler(pMsg->message, pMsg->wParam, pMsg->lParam, result)) return true;
  }
  return false;
}

void CPaintManagerUI::Init(HWND hWnd) {
  Detach();
  m_hWndPaint = hWnd;
  if (hWnd) g_managers.push_back(this);
}

void CPaintManagerUI::Detach() {
  RemoveItem(g_managers, this);
  m_hWndPaint = NULL;
}

bool CPaintManagerUI::AttachDialog(CControlUI* pControl) {
  if (!pControl) return false;
  if (m_pRoot && m_pRoot != pControl) {
    m_pEventHover = m_pEventClick = nullptr;
    delete m_pRoot;
  }
  m_pRoot = pControl;
  m_pRoot->SetManager(this, nullptr);
  m_bUpdateNeeded = true;
  UpdateLayout();
  return true;
}

void CPaintManagerUI::DeleteRoot() {
  if (m_nDispatchDepth > 0) { m_bReapPending = true; return; }
  m_bReapPending = false;
  CControlUI* root = m_pRoot;
  m_pRoot = nullptr;
  m_pEventHover = m_pEventClick = nullptr;
  delete root;
}

void CPaintManagerUI::ReapObjects(CControlUI* pControl) {
  if (!pControl) return;
  if (IsWithin(m_pEventHover, pControl)) m_pEventHover = nullptr;
  if (IsWithin(m_pEventClick, pControl)) m_pEventClick = nullptr;
}

CControlUI* CPaintManagerUI::FindControl(LPCTSTR pstrName) const {
  if (!m_pRoot || !pstrName || !*pstrName) return nullptr;
  return m_pRoot->FindControlByName(pstrName);
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const {
  return m_pRoot ? m_pRoot->FindControlAt(pt) : nullptr;
}

void CPaintManagerUI::SetInitSize(int cx, int cy) { m_szInitWindowSize = {cx, cy}; }

int CPaintManagerUI::AddFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bDefault) {
  TFontInfo info;
  info.sFontName = pStrFontName;
  info.iSize = nSize;
  info.bBold = bBold;
  info.hFont = ::CreateFontW(-nSize, 0, 0, 0, bBold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS,
                             pStrFontName);
  if (!info.hFont) return -1;
  m_fonts.push_back(info);
  const int index = static_cast<int>(m_fonts.size()) - 1;
  if (bDefault) m_defaultFont = index;
  return index;
}

HFONT CPaintManagerUI::GetFont(int index) const {
  if (index >= 0 && index < GetFontCount()) return m_fonts[static_cast<size_t>(index)].hFont;
  if (m_defaultFont >= 0) return m_fonts[static_cast<size_t>(m_defaultFont)].hFont;
  if (!m_hDefaultFont) {
    auto* self = const_cast<CPaintManagerUI*>(this);
    self->m_hDefaultFont = ::CreateFontW(-CDPI::Scale(12), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                         DEFAULT_PITCH | FF_SWISS, L"Segoe UI");
  }
  return m_hDefaultFont;
}

bool CPaintManagerUI::AddNotifier(INotifyUI* pControl) { return AddOnce(m_aNotifiers, pControl); }
bool CPaintManagerUI::RemoveNotifier(INotifyUI* pControl) { return RemoveItem(m_aNotifiers, pControl); }
bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* pFilter) { return AddOnce(m_aPreMessageFilters, pFilter); }
bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* pFilter) {
  return RemoveItem(m_aPreMessageFilters, pFilter);
}
bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* pFilter) { return AddOnce(m_aMessageFilters, pFilter); }
bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* pFilter) { return RemoveItem(m_aMessageFilters, pFilter); }

void CPaintManagerUI::SendNotify(CControlUI* pControl, LPCTSTR pstrMessage, WPARAM wParam, LPARAM lParam) {
  TNotifyUI msg;
  msg.sType = pstrMessage;
  msg.pSender = pControl;
  msg.dwTimestamp = ::GetTickCount();
  msg.ptMouse = m_ptLastMousePos;
  msg.wParam = wParam;
  msg.lParam = lParam;
  ++m_nDispatchDepth;
  // A notifier may remove itself while being told.
  std::vector<INotifyUI*> notifiers = m_aNotifiers;
  for (INotifyUI* notifier : notifiers) {
    if (std::find(m_aNotifiers.begin(), m_aNotifiers.end(), notifier) != m_aNotifiers.end()) notifier->Notify(msg);
  }
  --m_nDispatchDepth;
  if (m_nDispatchDepth == 0 && m_bReapPending) DeleteRoot();
}

void CPaintManagerUI::Invalidate(const RECT& rcItem) {
  if (m_hWndPaint) ::InvalidateRect(m_hWndPaint, &rcItem, FALSE);
}

void CPaintManagerUI::UpdateLayout() {
  if (!m_pRoot || !m_hWndPaint || !m_bUpdateNeeded) return;
  m_bUpdateNeeded = false;
  RECT client = {};
  ::GetClientRect(m_hWndPaint, &client);
  m_pRoot->SetPos(client, false);
  ::InvalidateRect(m_hWndPaint, NULL, FALSE);
}

void CPaintManagerUI::PaintTo(HDC hDC, const RECT& rcPaint) {
  UpdateLayout();
  if (!m_pRoot) return;
  m_pRoot->DoPaint(hDC, rcPaint);
}

void CPaintManagerUI::SendEvent(CControlUI* pControl, int type, POINT pt, WPARAM wParam, LPARAM lParam) {
  if (!pControl) return;
  TEventUI event;
  event.Type = type;
  event.pSender = pControl;
  event.dwTimestamp = ::GetTickCount();
  event.ptMouse = pt;
  event.wParam = wParam;
  event.lParam = lParam;
  pControl->DoEvent(event);
}

bool CPaintManagerUI::PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
  std::vector<IMessageFilterUI*> filters = m_aPreMessageFilters;
  for (IMessageFilterUI* filter : filters) {
    bool handled = false;
    LRESULT result = filter->MessageHandler(uMsg, wParam, lParam, handled);
    if (handled) { lRes = result; return true; }
  }
  return false;
}

bool CPaintManagerUI::HandleMouse(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  UpdateLayout();
  POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  m_ptLastMousePos = pt;
  switch (uMsg) {
    case WM_MOUSEMOVE: {
      if (!m_bMouseTracking) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWndPaint, 0};
        ::TrackMouseEvent(&track);
        m_bMouseTracking = true;
      }
      CControlUI* hover = FindControl(pt);
      if (hover != m_pEventHover) {
        CControlUI* old = m_pEventHover;
        m_pEventHover = hover;
        SendEvent(old, UIEVENT_MOUSELEAVE, pt, wParam, lParam);
        SendEvent(hover, UIEVENT_MOUSEENTER, pt, wParam, lParam);
      }
      SendEvent(m_pEventClick ? m_pEventClick : m_pEventHover, UIEVENT_MOUSEMOVE, pt, wParam, lParam);
      break;
    }
    case WM_MOUSELEAVE: {
      m_bMouseTracking = false;
      if (m_pEventClick) break;  // the pressed button keeps the mouse
      CControlUI* old = m_pEventHover;
      m_pEventHover = nullptr;
      SendEvent(old, UIEVENT_MOUSELEAVE, pt, wParam, lParam);
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      CControlUI* control = FindControl(pt);
      if (!control) break;
      m_pEventClick = control;
      ::SetCapture(m_hWndPaint);
      SendEvent(control, uMsg == WM_LBUTTONDOWN ? UIEVENT_BUTTONDOWN : UIEVENT_DBLCLICK, pt, wParam, lParam);
      break;
    }
    case WM_LBUTTONUP: {
      CControlUI* control = m_pEventClick;
      m_pEventClick = nullptr;
      if (::GetCapture() == m_hWndPaint) ::ReleaseCapture();
      // Only a control that is still shown takes the click.
      if (control && control->IsVisible()) SendEvent(control, UIEVENT_BUTTONUP, pt, wParam, lParam);
      break;
    }
    default:
      break;
  }
  return false;
}

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
  if (!m_hWndPaint) return false;
  {
    std::vector<IMessageFilterUI*> filters = m_aMessageFilters;
    for (IMessageFilterUI* filter : filters) {
      bool handled = false;
      LRESULT result = filter->MessageHandler(uMsg, wParam, lParam, handled);
      if (handled) { lRes = result; return true; }
    }
  }
  ++m_nDispatchDepth;
  bool handled = false;
  switch (uMsg) {
    case WM_ERASEBKGND:
      if (m_pRoot) { lRes = 1; handled = true; }
      break;
    case WM_PAINT: {
      if (!m_pRoot) break;
      UpdateLayout();
      PAINTSTRUCT ps = {};
      HDC hdc = ::BeginPaint(m_hWndPaint, &ps);
      RECT client = {};
      ::GetClientRect(m_hWndPaint, &client);
      const int width = client.right - client.left;
      const int height = client.bottom - client.top;
      if (width > 0 && height > 0) {
        // Drawn off screen first so that nothing flickers.
        HDC memory = ::CreateCompatibleDC(hdc);
        HBITMAP bitmap = ::CreateCompatibleBitmap(hdc, width, height);
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::FillRect(memory, &ps.rcPaint, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        m_pRoot->DoPaint(memory, ps.rcPaint);
        ::BitBlt(hdc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                 ps.rcPaint.bottom - ps.rcPaint.top, memory, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        ::SelectObject(memory, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(memory);
      }
      ::EndPaint(m_hWndPaint, &ps);
      lRes = 0;
      handled = true;
      break;
    }
    case WM_PRINTCLIENT: {
      if (!m_pRoot) break;
      RECT client = {};
      ::GetClientRect(m_hWndPaint, &client);
      PaintTo(reinterpret_cast<HDC>(wParam), client);
      lRes = 0;
      handled = true;
      break;
    }
    case WM_SIZE:
      if (m_pRoot) {
        m_bUpdateNeeded = true;
        UpdateLayout();
      }
      break;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
      handled = HandleMouse(uMsg, wParam, lParam);
      break;
    case WM_CAPTURECHANGED:
      // Capture taken away mid-press: the press is cancelled, no click.
      if (m_pEventClick && reinterpret_cast<HWND>(lParam) != m_hWndPaint) {
        CControlUI* control = m_pEventClick;
        m_pEventClick = nullptr;
        SendEvent(control, UIEVENT_BUTTONUP, POINT{-1, -1}, 0, 0);
      }
      break;
    case WM_NCDESTROY:
      Detach();
      m_nDispatchDepth--;
      DeleteRoot();
      return false;
    default:
      break;
  }
  --m_nDispatchDepth;
  if (m_nDispatchDepth == 0 && m_bReapPending) DeleteRoot();
  return handled;
}

}  // namespace DuiLib
