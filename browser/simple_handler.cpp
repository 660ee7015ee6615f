#include "browser/simple_handler.h"

#include <string>

#include "app/app_globals.h"
#include "app/app_messages.h"
#include "browser/error_page.h"
#include "include/cef_app.h"
#include "include/wrapper/cef_helpers.h"

namespace {

// A navigation to a URL carrying this text means the player has logged in.
const wchar_t kLoginMarker[] = L"/g/velmoLogin";

// Whether the player is looking at this browser's window: its top-level
// window, or the window that owns it (the login window owns the portal's),
// is the active one.
bool BrowserWindowIsForeground(HWND browserWindow) {
  if (browserWindow == nullptr) return false;
  HWND foreground = GetForegroundWindow();
  HWND root = GetAncestor(browserWindow, GA_ROOT);
  return foreground != nullptr && (foreground == root || foreground == GetWindow(root, GW_OWNER));
}

}  // namespace

SimpleHandler::SimpleHandler() : m_hHostWnd(nullptr), m_recovery(m_hHostWnd) {}

SimpleHandler::~SimpleHandler() {}

CefRefPtr<CefBrowser> SimpleHandler::GetFirstBrowser() {
  std::lock_guard<std::mutex> lock(m_browserListLock);
  if (m_browserList.empty()) return nullptr;
  return m_browserList.front();
}

void SimpleHandler::ReloadPage() { m_recovery.Reload(GetFirstBrowser()); }

void SimpleHandler::RecoverPage() { m_recovery.RunPendingStep(GetFirstBrowser()); }

void SimpleHandler::OnTitleChange(CefRefPtr<CefBrowser> browser, const CefString& title) {
  CEF_REQUIRE_UI_THREAD();
  std::wstring text = title.ToWString();
  SetWindowTextW(browser->GetHost()->GetWindowHandle(), text.c_str());
  SendMessageW(m_hHostWnd, WM_PAGE_TITLE, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool SimpleHandler::OnSetFocus(CefRefPtr<CefBrowser> browser, FocusSource /*source*/) {
  CEF_REQUIRE_UI_THREAD();
  // A hidden browser never takes the keyboard. CEF focuses a browser on
  // every navigation it starts, and the portal is reloaded behind the game at
  // every hand-over; a focus the portal asked for just before the play button
  // hid it arrives here after the game window opened. Either would make the
  // hidden portal the foreground window and keep the keys from the game.
  HWND window = browser->GetHost()->GetWindowHandle();
  return window != nullptr && !IsWindowVisible(window);
}

bool SimpleHandler::OnBeforePopup(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> /*frame*/,
                                  const CefString& target_url,
                                  const CefString& /*target_frame_name*/,
                                  WindowOpenDisposition /*target_disposition*/,
                                  bool /*user_gesture*/,
                                  const CefPopupFeatures& /*popupFeatures*/,
                                  CefWindowInfo& /*windowInfo*/,
                                  CefRefPtr<CefClient>& /*client*/,
                                  CefBrowserSettings& /*settings*/,
                                  bool* /*no_javascript_access*/) {
  CEF_REQUIRE_IO_THREAD();
  // Every popup goes to the system's browser; none opens in here.
  SendMessageW(g_hLoginWnd, WM_OPEN_EXTERNAL, 0, reinterpret_cast<LPARAM>(target_url.c_str()));
  return true;
}

void SimpleHandler::OnAfterCreated(CefRefPtr<CefBrowser> browser) {
  CEF_REQUIRE_UI_THREAD();
  {
    std::lock_guard<std::mutex> lock(m_browserListLock);
    m_browserList.push_back(browser);
  }
  // A browser made after its window was shown would otherwise leave the
  // keyboard with the window until the player clicks into the page.
  CefRefPtr<CefBrowserHost> host = browser->GetHost();
  if (BrowserWindowIsForeground(host->GetWindowHandle())) host->SetFocus(true);
}

void SimpleHandler::OnBeforeClose(CefRefPtr<CefBrowser> browser) {
  CEF_REQUIRE_UI_THREAD();
  bool empty;
  {
    std::lock_guard<std::mutex> lock(m_browserListLock);
    for (auto it = m_browserList.begin(); it != m_browserList.end(); ++it) {
      if ((*it)->IsSame(browser)) {
        m_browserList.erase(it);
        break;
      }
    }
    empty = m_browserList.empty();
  }
  if (empty) CefQuitMessageLoop();
}

void SimpleHandler::OnLoadingStateChange(CefRefPtr<CefBrowser> /*browser*/, bool isLoading,
                                         bool /*canGoBack*/, bool /*canGoForward*/) {
  CEF_REQUIRE_UI_THREAD();
  if (!isLoading) m_recovery.OnLoadingStopped();
}

void SimpleHandler::OnLoadStart(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> frame) {
  CEF_REQUIRE_UI_THREAD();
  if (frame->IsMain()) m_recovery.OnCommitted();
}

void SimpleHandler::OnLoadEnd(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> frame,
                              int /*httpStatusCode*/) {
  CEF_REQUIRE_UI_THREAD();
  if (!frame->IsMain()) return;
  std::wstring url;
  std::string page = m_recovery.OnLoadEnd(&url);
  if (!page.empty()) frame->LoadString(page, url);
}

void SimpleHandler::OnLoadError(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> frame,
                                ErrorCode errorCode, const CefString& errorText,
                                const CefString& failedUrl) {
  CEF_REQUIRE_UI_THREAD();
  // An aborted load was cancelled or replaced on purpose.
  if (errorCode == ERR_ABORTED) return;
  // A failed page is tried again by itself; a failed sub-frame is not.
  std::string page = frame->IsMain()
                         ? m_recovery.OnFailed(failedUrl.ToWString(), errorText.ToString(), errorCode)
                         : BuildErrorPage(failedUrl.ToString(), errorText.ToString(), errorCode);
  frame->LoadString(page, failedUrl);
}

bool SimpleHandler::OnBeforeBrowse(CefRefPtr<CefBrowser> /*browser*/, CefRefPtr<CefFrame> frame,
                                   CefRefPtr<CefRequest> request, bool is_redirect) {
  CEF_REQUIRE_UI_THREAD();
  std::wstring url = request->GetURL().ToWString();
  if (frame->IsMain()) m_recovery.OnNavigation(url, is_redirect);
  if (url.find(kLoginMarker) != std::wstring::npos)
    SendMessageW(g_hLoginWnd, WM_LOGIN_URL, 0, reinterpret_cast<LPARAM>(url.c_str()));
  return false;  // The navigation always goes ahead.
}

void SimpleHandler::OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser,
                                              TerminationStatus /*status*/) {
  CEF_REQUIRE_UI_THREAD();
  // Every way of ending leaves the same blank page; the host window
  // reloads it on the main thread.
  CefRefPtr<CefFrame> frame = browser->GetMainFrame();
  m_recovery.OnRendererGone(browser->GetIdentifier(), frame ? frame->GetURL().ToWString() : L"");
}

bool SimpleHandler::OnPreKeyEvent(CefRefPtr<CefBrowser> /*browser*/, const CefKeyEvent& /*event*/,
                                  CefEventHandle os_event, bool* /*is_keyboard_shortcut*/) {
  CEF_REQUIRE_UI_THREAD();
  if (!os_event) return false;
  if (os_event->message == WM_KEYDOWN && os_event->wParam == VK_ESCAPE)
    SendMessageW(m_hHostWnd, WM_EXIT_FULLSCREEN, 0, 0);
  if (os_event->message == WM_KEYDOWN && os_event->wParam == VK_F11)
    SendMessageW(m_hHostWnd, WM_RELOAD_PAGE, 0, 0);
  return false;  // The page gets the key too.
}

void SimpleHandler::OnBeforeContextMenu(CefRefPtr<CefBrowser> /*browser*/,
                                        CefRefPtr<CefFrame> /*frame*/,
                                        CefRefPtr<CefContextMenuParams> /*params*/,
                                        CefRefPtr<CefMenuModel> model) {
  CEF_REQUIRE_UI_THREAD();
  model->Clear();
}
