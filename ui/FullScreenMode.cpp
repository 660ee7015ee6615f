#include "ui/FullScreenMode.h"

#include "UIlib.h"
#include "ui/DuiFormFullScreen.h"
#include "ui/Dpi.h"

namespace {
const DWORD kFullScreenStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;  // no frame at all
// The bar is made hidden and shown without activation, so that the keyboard
// stays with the game page.
const DWORD kBarStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW;
const DWORD kBarExStyle = WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE;

RECT WorkArea() {
  RECT work = {};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

SIZE ScreenSize() { return SIZE{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }
}  // namespace

CFullScreenMode::CFullScreenMode() : m_fullScreen(false), m_savedPlacement(), m_pFullScreenBar(nullptr) {
  m_savedPlacement.length = sizeof(WINDOWPLACEMENT);
}

RECT CFullScreenMode::BarRect(int dy) {
  RECT bar = {0, 0, Dpi::Scale(CDuiFormFullScreen::kBarWidth), Dpi::Scale(CDuiFormFullScreen::kBarHeight)};
  RECT work = WorkArea();
  if (bar.right > work.right) {
    bar.left -= bar.right - work.right;
    bar.right = work.right;
  }
  ::OffsetRect(&bar, (work.right - bar.right + bar.left) / 2, dy);
  return bar;
}

bool CFullScreenMode::Enter(HWND window) {
  CDuiFormFullScreen* bar = new CDuiFormFullScreen();
  if (!bar->Create(window, _T("FormGame"), kBarStyle, kBarExStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                   CW_USEDEFAULT, nullptr)) {
    delete bar;  // a bar whose layout could not be built is ours to delete
    return false;
  }
  bar->m_hTargetWnd = window;
  m_pFullScreenBar = bar;

  RECT work = WorkArea();
  m_fullScreen = true;
  ::GetWindowPlacement(window, &m_savedPlacement);

  SIZE screen = ScreenSize();
  WINDOWPLACEMENT whole = {};
  whole.length = sizeof(WINDOWPLACEMENT);
  whole.showCmd = SW_SHOWNORMAL;
  // The whole screen, in workspace coordinates.
  whole.rcNormalPosition = RECT{-work.left, -work.top, screen.cx - work.left, screen.cy - work.top};
  ::SetWindowPlacement(window, &whole);
  ::SetWindowPos(window, HWND_NOTOPMOST, 0, 0, screen.cx, screen.cy, 0);
  return true;
}

void CFullScreenMode::CoverScreen(HWND window) const {
  SIZE screen = ScreenSize();
  ::SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(kFullScreenStyle));
  ::SetWindowPos(window, HWND_NOTOPMOST, 0, 0, screen.cx, screen.cy, 0);
}

void CFullScreenMode::ShowBar() {
  if (!m_pFullScreenBar) return;
  RECT bar = BarRect(0);
  ::SetWindowPos(m_pFullScreenBar->GetHWND(), nullptr, bar.left, bar.top, bar.right - bar.left,
                 bar.bottom - bar.top, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  m_pFullScreenBar->ShowWindow(true, false);
}

void CFullScreenMode::Leave(HWND window, DWORD style) {
  ::SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(style));
  m_fullScreen = false;
  ::SetWindowPlacement(window, &m_savedPlacement);
  if (m_pFullScreenBar) {
    ::SendMessageW(m_pFullScreenBar->GetHWND(), WM_CLOSE, 0, 0);
    m_pFullScreenBar = nullptr;
  }
}
