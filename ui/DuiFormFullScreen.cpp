#include "ui/DuiFormFullScreen.h"

#include "app/app_messages.h"
#include "ui/Dpi.h"
#include "ui/FullScreenMode.h"

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
    PlaceBar(HiddenOffset());
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
  PlaceBar(ShownOffset());
  m_barShown = true;
  ::SetTimer(m_hWnd, kHideTimer, kHideDelayMs, nullptr);
  return 0;
}

// Slid up, the bar's bottom row (one pixel at 96 DPI: its border) stays on
// screen for the mouse to touch; pulled down, its top border row sits just
// above the screen.
int CDuiFormFullScreen::HiddenOffset() { return Dpi::Scale(1) - Dpi::Scale(kBarHeight); }
int CDuiFormFullScreen::ShownOffset() { return -Dpi::Scale(1); }

void CDuiFormFullScreen::PlaceBar(int dy) {
  RECT bar = CFullScreenMode::BarRect(dy);
  ::SetWindowPos(m_hWnd, HWND_TOPMOST, bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
  ShowWindow(true, false);
  ::UpdateWindow(m_hWnd);
}
