#include "ui/DuiFormFullScreen.h"

#include "app/app_messages.h"

using namespace DuiLib;

DUI_BEGIN_MESSAGE_MAP(CDuiFormFullScreen, CNotifyPump)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, OnClick)
DUI_END_MESSAGE_MAP()

CDuiFormFullScreen::CDuiFormFullScreen()
    : CXMLWnd(_T("FormFullScreen.xml")), m_hTargetWnd(nullptr), m_barShown(false), m_windowMade(false) {}

CDuiFormFullScreen::~CDuiFormFullScreen() = default;

void CDuiFormFullScreen::InitWindow() {
  m_windowMade = true;
  ::SetTimer(m_hWnd, kHideTimer, kHideDelayMs, nullptr);
}

CControlUI* CDuiFormFullScreen::CreateControl(LPCTSTR) { return nullptr; }

// The game window forgets the bar when it closes it; nobody else holds it.
// A bar whose layout could not be built is the game window's to delete.
void CDuiFormFullScreen::OnFinalMessage(HWND hWnd) {
  CXMLWnd::OnFinalMessage(hWnd);
  if (m_windowMade) delete this;
}

void CDuiFormFullScreen::AskToLeaveFullScreen() { ::PostMessageW(m_hTargetWnd, WM_EXIT_FULLSCREEN, 0, 0); }

LRESULT CDuiFormFullScreen::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = CXMLWnd::HandleMessage(uMsg, wParam, lParam);
  if (uMsg == WM_MOUSEACTIVATE) {
    // A click on the bar leaves the keyboard with the game page.
    return MA_NOACTIVATE;
  } else if (uMsg == WM_KEYDOWN && wParam == VK_ESCAPE) {
    AskToLeaveFullScreen();
  } else if (uMsg == WM_TIMER) {
    ::KillTimer(m_hWnd, kHideTimer);
    PlaceBar(-(kBarHeight - 1));  // one pixel row stays on screen
    m_barShown = false;
  }
  return result;
}

void CDuiFormFullScreen::OnClick(TNotifyUI& msg) {
  if (msg.pSender->GetName() == _T("fullscreenbtn")) AskToLeaveFullScreen();
  CXMLWnd::OnClick(msg);
}

LRESULT CDuiFormFullScreen::OnMouseMove(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;  // the toolkit still tracks the mouse over its controls
  if (m_barShown) return 0;
  PlaceBar(-1);
  m_barShown = true;
  ::SetTimer(m_hWnd, kHideTimer, kHideDelayMs, nullptr);
  return 0;
}

void CDuiFormFullScreen::PlaceBar(int dy) {
  RECT bar = {0, 0, kBarWidth, kBarHeight};
  RECT work = {};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  if (bar.right > work.right) {
    // A work area narrower than the bar: align the right edges.
    bar.left -= bar.right - work.right;
    bar.right = work.right;
  }
  int dx = (work.right - bar.right + bar.left) / 2;
  ::OffsetRect(&bar, dx, dy);
  ::SetWindowPos(m_hWnd, HWND_TOPMOST, bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
  ShowWindow(true, false);
  ::UpdateWindow(m_hWnd);
}
