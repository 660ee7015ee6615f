#include "UIlib.h"

namespace DuiLib {

DUI_BEGIN_MESSAGE_MAP(WindowImplBase, CNotifyPump)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, WindowImplBase::OnClick)
DUI_END_MESSAGE_MAP()

UINT WindowImplBase::GetClassStyle() const { return CS_DBLCLKS; }

void WindowImplBase::OnFinalMessage(HWND /*hWnd*/) {
  // The creator owns this object; only the toolkit's links are undone here.
  m_PaintManager.RemovePreMessageFilter(this);
  m_PaintManager.RemoveNotifier(this);
}

void WindowImplBase::Notify(TNotifyUI& msg) { NotifyPump(msg); }

void WindowImplBase::OnClick(TNotifyUI& msg) {
  if (!msg.pSender) return;
  const CDuiString name = msg.pSender->GetName();
  if (name == _T("closebtn")) Close();
  else if (name == _T("minbtn")) SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  else if (name == _T("maxbtn")) SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  else if (name == _T("restorebtn")) SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
}

LRESULT WindowImplBase::ResponseDefaultKeyEvent(WPARAM wParam) {
  if (wParam == VK_RETURN) return FALSE;
  if (wParam == VK_ESCAPE) return TRUE;
  return FALSE;
}

LRESULT WindowImplBase::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM /*lParam*/, bool& /*bHandled*/) {
  if (uMsg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) return ResponseDefaultKeyEvent(wParam);
  return FALSE;
}

CControlUI* WindowImplBase::CreateControl(LPCTSTR /*pstrClass*/) { return nullptr; }

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
  if (::IsIconic(m_hWnd)) bHandled = FALSE;
  return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL& /*bHandled*/) {
  // No frame and no system caption: the client area is the whole window.
  return 0;
}

LRESULT WindowImplBase::OnWindowPosChanging(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, BOOL& /*bHandled*/) { return 0; }

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL& /*bHandled*/) {
  POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ::ScreenToClient(m_hWnd, &pt);
  RECT client = {};
  ::GetClientRect(m_hWnd, &client);

  if (!::IsZoomed(m_hWnd)) {
    const RECT& box = m_PaintManager.GetSizeBox();
    if (pt.y < client.top + box.top) {
      if (pt.x < client.left + box.left) return HTTOPLEFT;
      if (pt.x >= client.right - box.right) return HTTOPRIGHT;
      return HTTOP;
    }
    if (pt.y >= client.bottom - box.bottom) {
      if (pt.x < client.left + box.left) return HTBOTTOMLEFT;
      if (pt.x >= client.right - box.right) return HTBOTTOMRIGHT;
      return HTBOTTOM;
    }
    if (pt.x < client.left + box.left) return HTLEFT;
    if (pt.x >= client.right - box.right) return HTRIGHT;
  }

  // The caption rectangle: left, top and bottom from the client's top-left,
  // right as a distance from the client's right edge.
  const RECT& caption = m_PaintManager.GetCaptionRect();
  if (pt.x >= client.left + caption.left && pt.x < client.right - caption.right && pt.y >= caption.top &&
      pt.y < caption.bottom) {
    m_PaintManager.UpdateLayout();
    CControlUI* control = m_PaintManager.FindControl(pt);
    // Buttons, check boxes and combos in the caption stay clickable.
    if (!control || (!control->GetInterface(_T("Button")) && !control->GetInterface(_T("Combo")))) return HTCAPTION;
  }
  return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
  auto* info = reinterpret_cast<LPMINMAXINFO>(lParam);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  if (::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor)) {
    // A frameless window maximises onto the work area, not over the taskbar.
    RECT work = monitor.rcWork;
    ::OffsetRect(&work, -monitor.rcMonitor.left, -monitor.rcMonitor.top);
    info->ptMaxPosition.x = work.left;
    info->ptMaxPosition.y = work.top;
    info->ptMaxSize.x = work.right - work.left;
    info->ptMaxSize.y = work.bottom - work.top;
  }
  SIZE minimum = m_PaintManager.GetMinInfo();
  if (minimum.cx > 0) info->ptMinTrackSize.x = minimum.cx;
  if (minimum.cy > 0) info->ptMinTrackSize.y = minimum.cy;
  SIZE maximum = m_PaintManager.GetMaxInfo();
  if (maximum.cx > 0) info->ptMaxTrackSize.x = maximum.cx;
  if (maximum.cy > 0) info->ptMaxTrackSize.y = maximum.cy;
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  if (wParam == SC_CLOSE) {
    bHandled = TRUE;
    SendMessage(WM_CLOSE);
    return 0;
  }
  const BOOL zoomed = ::IsZoomed(m_hWnd);
  LRESULT result = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
  if (::IsWindow(m_hWnd) && ::IsZoomed(m_hWnd) != zoomed) {
    // Show whichever of maximise and restore applies now.
    const bool nowZoomed = !zoomed;
    if (CControlUI* maxButton = m_PaintManager.FindControl(_T("maxbtn"))) maxButton->SetVisible(!nowZoomed);
    if (CControlUI* restoreButton = m_PaintManager.FindControl(_T("restorebtn"))) restoreButton->SetVisible(nowZoomed);
  }
  return result;
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, BOOL& /*bHandled*/) {
  ::SetWindowLongW(m_hWnd, GWL_STYLE, GetStyle());
  RECT client = {};
  ::GetClientRect(m_hWnd, &client);
  ::SetWindowPos(m_hWnd, NULL, client.left, client.top, client.right - client.left, client.bottom - client.top,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  m_PaintManager.Init(m_hWnd);
  m_PaintManager.AddPreMessageFilter(this);

  CDuiString file = GetSkinFolder();
  if (!file.IsEmpty()) {
    TCHAR last = file.GetAt(file.GetLength() - 1);
    if (last != L'\\' && last != L'/') file += L'\\';
  }
  file += GetSkinFile();
  CDialogBuilder builder;
  CControlUI* root = builder.Create(file, NULL, this, &m_PaintManager);
  // A missing or broken layout fails the window's creation.
  if (!root) return -1;
  m_PaintManager.AttachDialog(root);
  m_PaintManager.AddNotifier(this);

  // CW_USEDEFAULT sizes come from the layout.
  SIZE size = m_PaintManager.GetInitSize();
  if (size.cx > 0 && size.cy > 0)
    ::SetWindowPos(m_hWnd, NULL, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  InitWindow();
  return 0;
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}

LONG WindowImplBase::GetStyle() {
  LONG style = ::GetWindowLongW(m_hWnd, GWL_STYLE);
  style &= ~WS_CAPTION;
  return style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  BOOL handled = TRUE;
  switch (uMsg) {
    case WM_CREATE: result = OnCreate(uMsg, wParam, lParam, handled); break;
    case WM_CLOSE: result = OnClose(uMsg, wParam, lParam, handled); break;
    case WM_DESTROY: result = OnDestroy(uMsg, wParam, lParam, handled); break;
    case WM_NCACTIVATE: result = OnNcActivate(uMsg, wParam, lParam, handled); break;
    case WM_NCCALCSIZE: result = OnNcCalcSize(uMsg, wParam, lParam, handled); break;
    case WM_WINDOWPOSCHANGING: result = OnWindowPosChanging(uMsg, wParam, lParam, handled); break;
    case WM_NCPAINT: result = OnNcPaint(uMsg, wParam, lParam, handled); break;
    case WM_NCHITTEST: result = OnNcHitTest(uMsg, wParam, lParam, handled); break;
    case WM_GETMINMAXINFO: result = OnGetMinMaxInfo(uMsg, wParam, lParam, handled); break;
    case WM_MOUSEWHEEL: result = OnMouseWheel(uMsg, wParam, lParam, handled); break;
    case WM_SIZE: result = OnSize(uMsg, wParam, lParam, handled); break;
    case WM_CHAR: result = OnChar(uMsg, wParam, lParam, handled); break;
    case WM_SYSCOMMAND: result = OnSysCommand(uMsg, wParam, lParam, handled); break;
    case WM_KEYDOWN: result = OnKeyDown(uMsg, wParam, lParam, handled); break;
    case WM_KILLFOCUS: result = OnKillFocus(uMsg, wParam, lParam, handled); break;
    case WM_SETFOCUS: result = OnSetFocus(uMsg, wParam, lParam, handled); break;
    case WM_LBUTTONUP: result = OnLButtonUp(uMsg, wParam, lParam, handled); break;
    case WM_LBUTTONDOWN: result = OnLButtonDown(uMsg, wParam, lParam, handled); break;
    case WM_MOUSEMOVE: result = OnMouseMove(uMsg, wParam, lParam, handled); break;
    case WM_MOUSEHOVER: result = OnMouseHover(uMsg, wParam, lParam, handled); break;
    default: handled = FALSE; break;
  }
  if (handled) return result;
  result = HandleCustomMessage(uMsg, wParam, lParam, handled);
  if (handled) return result;
  if (m_PaintManager.MessageHandler(uMsg, wParam, lParam, result)) return result;
  return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

}  // namespace DuiLib
