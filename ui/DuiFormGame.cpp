#include "ui/DuiFormGame.h"

#include "app/app_messages.h"
#include "browser/posted_text.h"
#include "browser/simple_handler.h"
#include "ui/Dpi.h"
#include "ui/OpenExternal.h"
#include "velmora_operator.h"

using namespace DuiLib;

namespace {
const DWORD kGameStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW;
const DWORD kGameExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
// The browser's insets from the client area's edges outside full screen.
const RECT kBrowserInsets = {2, CDuiFormGame::kTopBarHeight, 1, 2};

RECT WorkArea() {
  RECT work = {};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}
}  // namespace

DUI_BEGIN_MESSAGE_MAP(CDuiFormGame, CNotifyPump)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, OnClick)
DUI_END_MESSAGE_MAP()

CDuiFormGame::CDuiFormGame()
    : CXMLWnd(_T("FormGame.xml")),
      m_hCreatorWnd(nullptr),
      m_rcArea(),
      m_pClient(new SimpleHandler()),
      m_pTopBar(nullptr),
      m_pTitle(nullptr),
      m_soundOn(m_audio.m_soundOn),
      m_trayData(m_tray.m_trayData),
      m_trayAdded(m_tray.m_trayAdded),
      m_hiddenToTray(m_tray.m_hiddenToTray),
      m_fullScreen(m_fullScreenMode.m_fullScreen),
      m_pFullScreenBar(m_fullScreenMode.m_pFullScreenBar),
      m_windowMade(false) {}

CDuiFormGame::~CDuiFormGame() = default;  // m_pClient releases its reference

HWND CDuiFormGame::CreateGameWindow(HWND hParent, const std::wstring& url) {
  m_startUrl = url;
  return Create(hParent, VELMORA_OPERATOR_PRODUCT_W, kGameStyle, kGameExStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                CW_USEDEFAULT, nullptr);
}

CControlUI* CDuiFormGame::CreateControl(LPCTSTR) { return nullptr; }

// The login window forgets this window when it is closed; nobody else holds
// the object, so it goes with its native window. A window whose layout could
// not be built never got that far: Create answers null, and the creator
// deletes the object.
void CDuiFormGame::OnFinalMessage(HWND hWnd) {
  CXMLWnd::OnFinalMessage(hWnd);
  if (m_windowMade) delete this;
}

SIZE CDuiFormGame::WindowSize() const {
  if (m_rcArea.right != 0) return SIZE{m_rcArea.right, m_rcArea.bottom};
  // No work area: the size the layout asks for, which respects its minimum.
  SIZE layout = m_PaintManager.GetInitSize();
  if (layout.cx > 0 && layout.cy > 0) return layout;
  return SIZE{Dpi::Scale(kFallbackBrowserWidth), Dpi::Scale(kFallbackBrowserHeight + kTopBarHeight)};
}

void CDuiFormGame::InitWindow() {
  m_windowMade = true;
  m_audio.Open();

  CreateBrowser();

  m_pTopBar = m_PaintManager.FindControl(_T("topBg"));
  m_pTitle = m_PaintManager.FindControl(_T("title"));
  if (CControlUI* sound = m_PaintManager.FindControl(_T("rechargebtn"))) sound->SetVisible(false);

  CenterAndShow();
  m_pClient->m_hHostWnd = m_hWnd;
}

void CDuiFormGame::CreateBrowser() {
  const int top = Dpi::Scale(kTopBarHeight);
  RECT area = {0, top, m_rcArea.right, m_rcArea.bottom};
  if (m_rcArea.right == 0) {
    area = RECT{0, top, Dpi::Scale(kFallbackBrowserWidth), top + Dpi::Scale(kFallbackBrowserHeight)};
  }
  CefWindowInfo info;
  info.SetAsChild(m_hWnd, area);  // child, visible, clipping, tab stop
  CefBrowserSettings settings;
  settings.file_access_from_file_urls = STATE_ENABLED;
  settings.local_storage = STATE_ENABLED;
  CefBrowserHost::CreateBrowser(info, m_pClient.get(), m_startUrl, settings, nullptr);
}

void CDuiFormGame::CenterAndShow() {
  RECT work = WorkArea();
  SIZE size = WindowSize();
  ::SetWindowPos(m_hWnd, HWND_TOP, (work.right - size.cx) / 2, (work.bottom - size.cy) / 2, size.cx, size.cy,
                 SWP_SHOWWINDOW);
  ShowWindow(true, true);
  ::UpdateWindow(m_hWnd);
  Layout();
}

void CDuiFormGame::Layout() {
  RECT rc;
  ::GetClientRect(m_hWnd, &rc);
  int w = rc.right - rc.left;
  int h = rc.bottom - rc.top;
  int cx = ::GetSystemMetrics(SM_CXSCREEN);
  int cy = ::GetSystemMetrics(SM_CYSCREEN);
  RECT bar = {0, 0, w, m_pTopBar ? m_pTopBar->GetHeight() : Dpi::Scale(kTopBarHeight)};

  if (m_fullScreen) {
    m_fullScreenMode.CoverScreen(m_hWnd);
  } else if (m_pTopBar) {
    m_pTopBar->SetPos(bar);
  }

  CefRefPtr<CefBrowser> browser = m_pClient->GetFirstBrowser();
  if (browser) {
    HWND browserWnd = browser->GetHost()->GetWindowHandle();
    if (browserWnd) {
      if (m_fullScreen) {
        ::MoveWindow(browserWnd, 0, 0, cx, cy, TRUE);
      } else {
        if (m_pTopBar) m_pTopBar->SetPos(bar);
        // Below the top bar, inset by the window's frame: 2 left, 1 right,
        // 2 bottom at 96 DPI.
        RECT inset = {Dpi::Scale(kBrowserInsets.left), Dpi::Scale(kBrowserInsets.top),
                      Dpi::Scale(kBrowserInsets.right), Dpi::Scale(kBrowserInsets.bottom)};
        ::MoveWindow(browserWnd, inset.left, inset.top, w - inset.left - inset.right, h - inset.top - inset.bottom,
                     TRUE);
      }
      ::UpdateWindow(m_hWnd);
    }
  }

  ::InvalidateRect(m_hWnd, &rc, TRUE);
  ::ShowWindow(m_hWnd, SW_SHOW);
  ::UpdateWindow(m_hWnd);
}

void CDuiFormGame::EnterFullScreen() {
  // The bar first: when it cannot be made (FormFullScreen.xml missing or
  // damaged) the button does nothing, and the keyboard goes back to the page.
  if (m_fullScreenMode.Enter(m_hWnd)) {
    Layout();
    m_fullScreenMode.ShowBar();
  }
  // The click on the full-screen button left the keyboard with this window.
  FocusBrowser();
}

void CDuiFormGame::LeaveFullScreen() {
  // Back to the style the window was made with. (Adding WS_CHILD here would
  // turn this top-level window into a child of its hidden owner: it would no
  // longer activate, take the keyboard or lay out its browser.)
  m_fullScreenMode.Leave(m_hWnd, kGameStyle);
  // When the normal placement is as large as the screen (a work area with
  // no taskbar), restoring it sends no WM_SIZE: lay out here, or the browser
  // would stay over the top bar.
  Layout();
  FocusBrowser();
}

void CDuiFormGame::FocusBrowser() {
  if (CefRefPtr<CefBrowser> browser = m_pClient->GetFirstBrowser()) browser->GetHost()->SetFocus(true);
}

// Every way of closing this window ends here, once, from WM_DESTROY: its
// close button, Alt+F4, the taskbar and the system menu (WM_CLOSE), and its
// owner going away.
void CDuiFormGame::EndGame() {
  // A window whose creation failed opened nothing and has nobody to tell.
  if (!m_windowMade) return;
  m_audio.Close();
  m_tray.Remove();
  // The bar is owned by this window and goes with it.
  m_fullScreenMode.ForgetBar();
  if (m_hCreatorWnd) ::PostMessageW(m_hCreatorWnd, WM_SHOW_LOGIN, 0, 0);
}

LRESULT CDuiFormGame::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = CXMLWnd::HandleMessage(uMsg, wParam, lParam);
  switch (uMsg) {
    case WM_MOVE:
      if (ReadyForLayout()) Layout();
      break;
    case WM_SIZE:
      if (ReadyForLayout() && !m_fullScreen) Layout();
      ::PostMessageW(m_hWnd, WM_ACTIVATE, 0, 0);
      break;
    case WM_ACTIVATE:
      if (ReadyForLayout() && !m_hiddenToTray && !m_fullScreen) Layout();
      break;
    case WM_SETFOCUS:
      // Activation hands the focus to this window: pass it on to the page.
      FocusBrowser();
      break;
    case WM_DESTROY:
      EndGame();
      break;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE && m_fullScreen) LeaveFullScreen();
      break;
    case WM_TRAY_NOTIFY:
      if (lParam == WM_LBUTTONUP || lParam == WM_LBUTTONDBLCLK) m_tray.RestoreWindow();
      break;
    case WM_EXIT_FULLSCREEN:
      if (m_fullScreen) LeaveFullScreen();
      break;
    case WM_PAGE_TITLE:
      if (m_pTitle) {
        std::wstring title = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
        m_pTitle->SetText(title.c_str());
      }
      break;
    case WM_RELOAD_PAGE:
      m_pClient->ReloadPage();
      break;
    case WM_RECOVER_PAGE:  // posted by the client's PageRecovery
      m_pClient->RecoverPage();
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

LRESULT CDuiFormGame::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  if (uMsg == WM_SYSCOMMAND && m_pTopBar) ::PostMessageW(m_hWnd, WM_ACTIVATE, 0, 0);
  if (wParam == SC_KEYMENU) {
    // The keyboard (Alt, F10) never opens the system menu.
    bHandled = TRUE;
    return 1;
  }
  return CXMLWnd::OnSysCommand(uMsg, wParam, lParam, bHandled);
}

void CDuiFormGame::OnClick(TNotifyUI& msg) {
  CDuiString name = msg.pSender->GetName();
  if (name == _T("rechargebtn")) {
    m_audio.Toggle();
  } else if (name == _T("bosskeybtn")) {
    m_tray.HideWindow(m_hWnd);
  } else if (name == _T("fullscreenbtn")) {
    EnterFullScreen();
  }
  // For "closebtn" the toolkit closes the window; EndGame runs on the way out.
  CXMLWnd::OnClick(msg);
}
