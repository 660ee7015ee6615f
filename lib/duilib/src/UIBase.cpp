#include "UIlib.h"

namespace DuiLib {

DUI_BASE_BEGIN_MESSAGE_MAP(CNotifyPump)
DUI_END_MESSAGE_MAP()

bool CNotifyPump::NotifyPump(TNotifyUI& msg) {
  for (const DUI_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const DUI_MSGMAP_ENTRY* entry = map->lpEntries; entry->nSig != DuiSig_end; ++entry) {
      if (msg.sType != entry->sMsgType) continue;
      if (entry->sCtrlName[0] != 0 && (!msg.pSender || msg.pSender->GetName() != entry->sCtrlName)) continue;
      (this->*(entry->pfn))(msg);
      return true;
    }
  }
  return false;
}

bool CWindowWnd::RegisterWindowClass() {
  HINSTANCE instance = CPaintManagerUI::GetInstance();
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof(existing);
  // Every window of one class shares the registration; only the first registers.
  if (::GetClassInfoExW(instance, GetWindowClassName(), &existing)) return true;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = GetClassStyle();
  wc.lpfnWndProc = CWindowWnd::__WndProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(NULL, IDC_ARROW);
  wc.lpszClassName = GetWindowClassName();
  if (::RegisterClassExW(&wc)) return true;
  return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclass() {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  if (!::GetClassInfoExW(NULL, GetSuperClassName(), &wc) &&
      !::GetClassInfoExW(CPaintManagerUI::GetInstance(), GetSuperClassName(), &wc))
    return false;
  m_OldWndProc = wc.lpfnWndProc;
  HINSTANCE instance = CPaintManagerUI::GetInstance();
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof(existing);
  if (::GetClassInfoExW(instance, GetWindowClassName(), &existing)) return true;
  wc.lpfnWndProc = CWindowWnd::__WndProc;
  wc.hInstance = instance;
  wc.lpszClassName = GetWindowClassName();
  if (::RegisterClassExW(&wc)) return true;
  return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT& rc,
                        HMENU hMenu) {
  return Create(hwndParent, pstrName, dwStyle, dwExStyle, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                hMenu);
}

HWND CWindowWnd::Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, int x, int y, int cx,
                        int cy, HMENU hMenu) {
  bool registered = GetSuperClassName() ? RegisterSuperclass() : RegisterWindowClass();
  if (!registered) return NULL;
  // __WndProc stores m_hWnd at WM_NCCREATE and clears it again if creation fails.
  ::CreateWindowExW(dwExStyle, GetWindowClassName(), pstrName, dwStyle, x, y, cx, cy, hwndParent, hMenu,
                    CPaintManagerUI::GetInstance(), this);
  return m_hWnd;
}

void CWindowWnd::ShowWindow(bool bShow, bool bTakeFocus) {
  if (!::IsWindow(m_hWnd)) return;
  ::ShowWindow(m_hWnd, bShow ? (bTakeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::ShowModal() {
  UINT result = 0;
  HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
  ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
  if (owner) ::EnableWindow(owner, FALSE);
  MSG msg = {};
  bool quit = false;
  while (::IsWindow(m_hWnd)) {
    BOOL got = ::GetMessageW(&msg, NULL, 0, 0);
    if (got == 0 || got == -1) { quit = (got == 0); break; }
    if (msg.message == WM_CLOSE && msg.hwnd == m_hWnd) {
      result = static_cast<UINT>(msg.wParam);
      if (owner) { ::EnableWindow(owner, TRUE); ::SetFocus(owner); }
    }
    if (!CPaintManagerUI::TranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  if (owner) { ::EnableWindow(owner, TRUE); ::SetFocus(owner); }
  if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
  return result;
}

void CWindowWnd::CenterWindow() {
  if (!::IsWindow(m_hWnd)) return;
  RECT dialog = {};
  ::GetWindowRect(m_hWnd, &dialog);
  HWND center = ::GetWindow(m_hWnd, GW_OWNER);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(center ? center : m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
  RECT area = monitor.rcWork;
  RECT around = area;
  if (center && ::IsWindowVisible(center) && !::IsIconic(center)) ::GetWindowRect(center, &around);
  int width = dialog.right - dialog.left;
  int height = dialog.bottom - dialog.top;
  int left = (around.left + around.right) / 2 - width / 2;
  int top = (around.top + around.bottom) / 2 - height / 2;
  // Keep the window on the work area.
  if (left + width > area.right) left = area.right - width;
  if (left < area.left) left = area.left;
  if (top + height > area.bottom) top = area.bottom - height;
  if (top < area.top) top = area.top;
  ::SetWindowPos(m_hWnd, NULL, left, top, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT nRes) {
  HINSTANCE instance = CPaintManagerUI::GetInstance();
  HICON big = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(nRes), IMAGE_ICON,
                                              ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0));
  if (big) ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  HICON small = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(nRes), IMAGE_ICON,
                                                ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
  if (small) ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void CWindowWnd::ResizeClient(int cx, int cy) {
  RECT rc = {};
  if (!::GetClientRect(m_hWnd, &rc)) return;
  if (cx != -1) rc.right = cx;
  if (cy != -1) rc.bottom = cy;
  ::AdjustWindowRectEx(&rc, ::GetWindowLongW(m_hWnd, GWL_STYLE), FALSE, ::GetWindowLongW(m_hWnd, GWL_EXSTYLE));
  ::SetWindowPos(m_hWnd, NULL, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

LRESULT CWindowWnd::SendMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageW(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageW(m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::Close(UINT nRet) {
  if (!::IsWindow(m_hWnd)) return;
  PostMessage(WM_CLOSE, static_cast<WPARAM>(nRet), 0);
}

CWindowWnd::~CWindowWnd() {
  if (m_hWnd && ::IsWindow(m_hWnd) &&
      ::GetWindowLongPtrW(m_hWnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
    ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
  }
  m_hWnd = NULL;
}

LPCTSTR CWindowWnd::GetSuperClassName() const { return NULL; }

UINT CWindowWnd::GetClassStyle() const { return 0; }

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return ::CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND /*hWnd*/) {}

LRESULT CALLBACK CWindowWnd::__WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  CWindowWnd* self = nullptr;
  if (uMsg == WM_NCCREATE) {
    auto* create = reinterpret_cast<LPCREATESTRUCTW>(lParam);
    self = static_cast<CWindowWnd*>(create->lpCreateParams);
    self->m_hWnd = hWnd;
    ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (uMsg == WM_NCDESTROY && self) {
      LRESULT result = self->HandleMessage(uMsg, wParam, lParam);
      ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
      self->m_hWnd = NULL;
      self->OnFinalMessage(hWnd);
      return result;
    }
  }
  if (self) return self->HandleMessage(uMsg, wParam, lParam);
  return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

}  // namespace DuiLib
