#include "ui/TrayIcon.h"

#include "UIlib.h"
#include "app/app_messages.h"
#include "res/resource.h"
#include "velmora_operator.h"

namespace {
static_assert(sizeof(NOTIFYICONDATAW) == 956, "the tray record is the full structure");
}  // namespace

CTrayIcon::CTrayIcon() : m_trayData(), m_trayAdded(false), m_hiddenToTray(false) {
  m_trayData.cbSize = sizeof(NOTIFYICONDATAW);
}

CTrayIcon::~CTrayIcon() {
  Remove();
  if (m_trayData.hIcon) ::DestroyIcon(m_trayData.hIcon);
}

void CTrayIcon::HideWindow(HWND window) {
  m_hiddenToTray = true;
  m_trayData.hWnd = window;
  m_trayData.uID = kIconId;
  m_trayData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_trayData.uCallbackMessage = WM_TRAY_NOTIFY;
  if (!m_trayData.hIcon) {
    // The notification area shows small icons: the size of the display's
    // scale, drawn from the icon's own image of that size where it has one.
    m_trayData.hIcon = static_cast<HICON>(::LoadImageW(DuiLib::CPaintManagerUI::GetInstance(),
                                                       MAKEINTRESOURCEW(IDI_VELMORA), IMAGE_ICON,
                                                       ::GetSystemMetrics(SM_CXSMICON),
                                                       ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  }
  lstrcpynW(m_trayData.szTip, VELMORA_OPERATOR_PRODUCT_W, ARRAYSIZE(m_trayData.szTip));
  m_trayAdded = ::Shell_NotifyIconW(NIM_ADD, &m_trayData) != FALSE;
  ::ShowWindow(window, SW_HIDE);
}

void CTrayIcon::RestoreWindow() {
  m_hiddenToTray = false;
  if (m_trayData.hWnd) ::ShowWindow(m_trayData.hWnd, SW_SHOWNORMAL);
  Remove();
}

void CTrayIcon::Remove() {
  if (!m_trayAdded) return;
  m_trayData.uFlags = 0;
  ::Shell_NotifyIconW(NIM_DELETE, &m_trayData);
  m_trayAdded = false;
}
