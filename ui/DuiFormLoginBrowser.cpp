#include "ui/DuiFormLoginBrowser.h"

#include "app/app_globals.h"
#include "app/app_messages.h"
#include "app/app_util.h"
#include "browser/simple_handler.h"
#include "include/cef_browser.h"
#include "ui/Dpi.h"
#include "ui/SiteAddresses.h"

using namespace DuiLib;

DUI_BEGIN_MESSAGE_MAP(CDuiFormLoginBrowser, CNotifyPump)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, OnClick)
DUI_END_MESSAGE_MAP()

CDuiFormLoginBrowser::CDuiFormLoginBrowser() : CXMLWnd(_T("FormLoginBrowser.xml")) {}

CDuiFormLoginBrowser::~CDuiFormLoginBrowser() = default;

CControlUI* CDuiFormLoginBrowser::CreateControl(LPCTSTR) { return nullptr; }

void CDuiFormLoginBrowser::InitWindow() {
  CefBrowserSettings settings;
  settings.file_access_from_file_urls = STATE_ENABLED;
  settings.local_storage = STATE_ENABLED;

  CefWindowInfo info;
  info.SetAsChild(m_hWnd, RECT{0, 0, Dpi::Scale(kBrowserWidth), Dpi::Scale(kBrowserHeight)});

  // This window hosts the portal: F11 and the portal's recovery come here.
  g_pSimpleHandler->m_hHostWnd = m_hWnd;
  std::wstring url = AnsiToWide(VELMORA_PORTAL_URL);
  CefBrowserHost::CreateBrowser(info, g_pSimpleHandler.get(), url, settings, nullptr);
}

LRESULT CDuiFormLoginBrowser::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_CLOSE) {
    // Alt+F4 or the system menu here: the portal never goes alone, the
    // client closes as it does from the login window.
    ::PostMessageW(::GetWindow(m_hWnd, GW_OWNER), WM_CLOSE, 0, 0);
    return 0;
  }
  LRESULT result = CXMLWnd::HandleMessage(uMsg, wParam, lParam);
  // Activation hands the focus to this window: pass it on to the page.
  if (uMsg == WM_SETFOCUS) FocusPortal();
  // F11 in the portal, and the steps that the client's PageRecovery posts.
  if (uMsg == WM_RELOAD_PAGE) g_pSimpleHandler->ReloadPage();
  if (uMsg == WM_RECOVER_PAGE) g_pSimpleHandler->RecoverPage();
  // Key messages are the browser's business; the window reports them done.
  if (uMsg >= WM_KEYDOWN && uMsg <= WM_UNICHAR) return 0;
  return result;
}

void CDuiFormLoginBrowser::FocusPortal() {
  if (CefRefPtr<CefBrowser> portal = g_pSimpleHandler->GetFirstBrowser()) portal->GetHost()->SetFocus(true);
}

void CDuiFormLoginBrowser::OnClick(TNotifyUI& msg) { CXMLWnd::OnClick(msg); }
