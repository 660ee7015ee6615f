#include "ui/DuiFormLogin.h"

#include <string>

#include "app/app_globals.h"
#include "app/app_messages.h"
#include "app/app_util.h"
#include "browser/cookie_flush.h"
#include "browser/posted_text.h"
#include "browser/simple_handler.h"
#include "include/cef_app.h"
#include "include/cef_browser.h"
#include "include/cef_frame.h"
#include "ui/DuiFormGame.h"
#include "ui/DuiFormLoginBrowser.h"
#include "ui/Dpi.h"
#include "ui/OpenExternal.h"
#include "ui/SiteAddresses.h"

using namespace DuiLib;

namespace {
const DWORD kLoginBrowserStyle = WS_VISIBLE | WS_OVERLAPPEDWINDOW;
const DWORD kLoginBrowserExStyle = WS_EX_WINDOWEDGE;
const UINT kKeepPlaceFlags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
const wchar_t kLoginTypeSuffix[] = L"&loginType=5";
}  // namespace

const POINT CDuiFormLogin::kFirstBrowserOffset = {426, 190};
const POINT CDuiFormLogin::kBrowserOffset = {250, 198};

DUI_BEGIN_MESSAGE_MAP(CDuiFormLogin, CNotifyPump)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, OnClick)
DUI_END_MESSAGE_MAP()

CDuiFormLogin::CDuiFormLogin()
    : CXMLWnd(_T("FormLogin.xml")),
      m_pLoginBrowser(nullptr),
      m_pGameWnd(nullptr),
      m_pCheckBox(nullptr),
      m_pCombo(nullptr),
      m_hGameWnd(nullptr),
      m_clientEnded(false) {}

CDuiFormLogin::~CDuiFormLogin() = default;

CControlUI* CDuiFormLogin::CreateControl(LPCTSTR) { return nullptr; }

void CDuiFormLogin::InitWindow() {
  CenterWindow();
  RECT rc;
  ::GetWindowRect(m_hWnd, &rc);

  m_pLoginBrowser = new CDuiFormLoginBrowser();
  m_pLoginBrowser->Create(m_hWnd, _T("LoginBrowser"), kLoginBrowserStyle, kLoginBrowserExStyle, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr);
  POINT first = Dpi::Scale(kFirstBrowserOffset);
  ::SetWindowPos(m_pLoginBrowser->GetHWND(), nullptr, rc.left + first.x, rc.top + first.y, 0, 0, kKeepPlaceFlags);
  m_pLoginBrowser->ShowWindow(true, true);

  m_pCheckBox = m_PaintManager.FindControl(_T("CheckBox"));
  if (m_pCheckBox) m_pCheckBox->SetVisible(false);
  m_pCombo = m_PaintManager.FindControl(_T("combo"));
  if (m_pCombo) m_pCombo->SetVisible(false);
}

void CDuiFormLogin::PlaceLoginBrowser(POINT offset) {
  RECT rc;
  ::GetWindowRect(m_hWnd, &rc);
  if (m_pLoginBrowser) {
    POINT at = Dpi::Scale(offset);
    ::SetWindowPos(m_pLoginBrowser->GetHWND(), nullptr, rc.left + at.x, rc.top + at.y, 0, 0, kKeepPlaceFlags);
  }
}

LRESULT CDuiFormLogin::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_CLOSE && !::IsWindowVisible(m_hWnd) && ::IsWindow(m_hGameWnd)) {
    // Hidden behind the game, this window is not the player's to close. A
    // close reaching it now was meant for the game: the browser sends Alt+F4
    // from the game page to its root owner, this window.
    ::PostMessageW(m_hGameWnd, WM_CLOSE, 0, 0);
    return 0;
  }
  // Closed some other way (Alt+F4, the taskbar): end the client just as the
  // close button does, and in the same order. CEF goes down while the
  // portal's browser and its windows are still alive; destroying them first
  // left CEF shutting down around a dead browser, which crashed now and then.
  if (uMsg == WM_CLOSE) EndClient();
  LRESULT result = CXMLWnd::HandleMessage(uMsg, wParam, lParam);
  switch (uMsg) {
    case WM_MOVE:
      PlaceLoginBrowser(kBrowserOffset);
      break;
    case WM_ACTIVATE:
      // Shown or switched to (not clicked): the keyboard goes to the portal.
      if (LOWORD(wParam) == WA_ACTIVE) FocusPortal();
      break;
    case WM_SHOW_LOGIN:
      ShowAgain();
      break;
    case WM_LOGIN_URL:
      HandOver(reinterpret_cast<const wchar_t*>(lParam));
      break;
    case WM_OPEN_EXTERNAL:
      OpenInSystemBrowser(reinterpret_cast<const wchar_t*>(lParam));
      ReleasePostedText(wParam, lParam);
      break;
    default:
      break;
  }
  return result;
}

void CDuiFormLogin::ShowAgain() {
  ShowWindow(true, true);
  if (m_pLoginBrowser) m_pLoginBrowser->ShowWindow(true, true);
  m_pGameWnd = nullptr;
  m_hGameWnd = nullptr;
}

void CDuiFormLogin::FocusPortal() {
  if (m_pLoginBrowser && ::IsWindowVisible(m_pLoginBrowser->GetHWND())) m_pLoginBrowser->FocusPortal();
}

void CDuiFormLogin::HandOver(const wchar_t* url) {
  ShowWindow(false, true);
  if (m_pLoginBrowser) m_pLoginBrowser->ShowWindow(false, true);

  std::wstring startUrl = url ? url : L"";

  // The portal is fresh again when the login window comes back.
  if (CefRefPtr<CefBrowser> portal = g_pSimpleHandler->GetFirstBrowser()) {
    portal->GetMainFrame()->LoadURL(AnsiToWide(VELMORA_PORTAL_URL));
  }

  if (m_pGameWnd) return;  // one game window at a time

  CDuiFormGame* game = new CDuiFormGame();
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &game->m_rcArea, 0);
  startUrl += kLoginTypeSuffix;
  HWND gameWnd = game->CreateGameWindow(m_hWnd, startUrl);
  if (gameWnd == nullptr) {
    // A broken install (FormGame.xml missing or damaged): no game, and the
    // player is back at this window.
    delete game;
    ShowAgain();
    return;
  }
  m_pGameWnd = game;
  m_hGameWnd = gameWnd;
  m_pGameWnd->m_hCreatorWnd = m_hWnd;
  m_pGameWnd->m_startUrl = startUrl;
  m_pGameWnd->ShowWindow(true, true);
}

void CDuiFormLogin::EndClient() {
  if (m_clientEnded) return;
  m_clientEnded = true;
  FlushCookiesBeforeShutdown();
  CefShutdown();
  CefQuitMessageLoop();
  ::PostQuitMessage(0);
}

void CDuiFormLogin::OnClick(TNotifyUI& msg) {
  CDuiString name = msg.pSender->GetName();
  if (name == _T("playbtn")) {
    ::SendMessageW(m_hWnd, WM_LOGIN_URL, 0, reinterpret_cast<LPARAM>(VELMORA_TEST_LOGIN_URL));
  } else if (name == _T("closebtn")) {
    EndClient();
  }
  CXMLWnd::OnClick(msg);
}
