// cefbrowser: one browser with the product's client in a plain Win32 window.
// It starts CEF the way the client does (same executable for every process,
// cache under the working directory, multi-threaded message loop).
//
//   cefbrowser.exe [url] [--timeout-ms=N] [--exit-on-title=PREFIX] [--dump-error-pages]
//                  [--close-like-login-window] [--site=URL]... [--extra-host=HOST]...
//
// The browser keeps to the sites of the start URL and of each --site (as
// the client keeps to its operator's), and may load from each --extra-host.
// WebSockets in its renderers keep to the sites of the operator file it was
// built with, as the client's do.
//
// --close-like-login-window closes as the client's login window does: CEF is
// shut down while its browser is still open, and the entry function then
// runs CEF's message loop and shuts it down a second time.
//
// Under Wine, Chromium also needs --disable-direct-write --disable-gpu.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/app_globals.h"
#include "app/app_messages.h"
#include "app/app_util.h"
#include "app/cef_startup.h"
#include "browser/posted_text.h"
#include "event_log.h"
#include "include/cef_app.h"
#include "tool_clients.h"

namespace {

const wchar_t kWindowClass[] = L"VelmoraCefBrowser";
const UINT_PTR kTimeoutTimer = 1;
const UINT_PTR kForceCloseTimer = 2;

struct Options {
  std::wstring url = L"about:blank";
  UINT timeoutMs = 0;
  std::wstring exitOnTitle;
  bool dumpErrorPages = false;
  bool closeLikeLoginWindow = false;
  std::vector<std::string> sites, extraHosts;
};

Options ParseOptions() {
  Options options;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    auto value = [&](const wchar_t* name) -> const wchar_t* {
      size_t n = wcslen(name);
      return arg.compare(0, n, name) == 0 ? arg.c_str() + n : nullptr;
    };
    if (const wchar_t* v = value(L"--timeout-ms=")) options.timeoutMs = _wtoi(v);
    else if (const wchar_t* v = value(L"--exit-on-title=")) options.exitOnTitle = v;
    else if (arg == L"--dump-error-pages") options.dumpErrorPages = true;
    else if (arg == L"--close-like-login-window") options.closeLikeLoginWindow = true;
    else if (const wchar_t* v = value(L"--site=")) options.sites.push_back(CefString(v).ToString());
    else if (const wchar_t* v = value(L"--extra-host=")) options.extraHosts.push_back(CefString(v).ToString());
    else if (arg.compare(0, 2, L"--") != 0) options.url = arg;
  }
  LocalFree(argv);
  return options;
}

Options g_options;
CefRefPtr<ToolHandler> g_handler;
bool g_closing = false;

void LayOutBrowser(HWND hwnd) {
  CefRefPtr<CefBrowser> browser = g_handler->GetFirstBrowser();
  if (!browser) return;
  RECT rc;
  GetClientRect(hwnd, &rc);
  SetWindowPos(browser->GetHost()->GetWindowHandle(), nullptr, 0, 0, rc.right, rc.bottom,
               SWP_NOZORDER);
}

std::wstring TextOf(LPARAM lParam) {
  const wchar_t* text = reinterpret_cast<const wchar_t*>(lParam);
  return text ? text : L"(null)";
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      LayOutBrowser(hwnd);
      return 0;
    case WM_PAGE_TITLE: {
      std::wstring title = TextOf(lParam);
      SetWindowTextW(hwnd, title.c_str());
      LogEvent(L"PAGE_TITLE " + title);
      if (!g_options.exitOnTitle.empty() && title.compare(0, g_options.exitOnTitle.size(),
                                                          g_options.exitOnTitle) == 0)
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
      return 0;
    }
    case WM_LOGIN_URL:
      LogEvent(L"LOGIN_URL " + TextOf(lParam));
      return 0;
    case WM_OPEN_EXTERNAL:
      // The client would hand this to the system browser; here it is noted.
      LogEvent(L"OPEN_EXTERNAL " + TextOf(lParam));
      ReleasePostedText(wParam, lParam);
      return 0;
    case WM_EXIT_FULLSCREEN:
      LogEvent(L"EXIT_FULLSCREEN");
      return 0;
    case WM_RELOAD_PAGE:
      LogEvent(L"RELOAD_PAGE");
      if (CefRefPtr<CefBrowser> browser = g_handler->GetFirstBrowser()) browser->Reload();
      return 0;
    case WM_TIMER:
      if (wParam == kTimeoutTimer) {
        KillTimer(hwnd, kTimeoutTimer);
        LogEvent(L"TIMEOUT");
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
      } else if (wParam == kForceCloseTimer) {
        DestroyWindow(hwnd);  // the browser did not close in time
      }
      return 0;
    case WM_CLOSE:
      LogEvent(L"WM_CLOSE");
      if (g_options.closeLikeLoginWindow) {
        CefShutdown();
        LogEvent(L"SHUTDOWN_WITH_BROWSER_OPEN");
        CefQuitMessageLoop();
        PostQuitMessage(0);
        return 0;
      }
      if (!g_closing && g_handler->GetFirstBrowser()) {
        // CEF closes the browser and then sends WM_CLOSE again.
        g_closing = true;
        g_handler->GetFirstBrowser()->GetHost()->CloseBrowser(false);
        SetTimer(hwnd, kForceCloseTimer, 5000, nullptr);
        return 0;
      }
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      LogEvent(L"WM_DESTROY");
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int) {
  CefMainArgs mainArgs(hInstance);
  CefRefPtr<SimpleApp> app = new ToolApp();
  int exitCode = CefExecuteProcess(mainArgs, app.get(), nullptr);
  if (exitCode >= 0) return exitCode;  // a sub-process has finished

  g_options = ParseOptions();
  std::wstring cachePath = BrowserCachePath(ReadCurrentDirectory());
  CreateDirectoryPath(cachePath.c_str());
  CefSettings settings;
  FillCefSettings(settings, cachePath);
  bool initialized = CefInitialize(mainArgs, settings, app.get(), nullptr);
  LogEvent(std::wstring(L"INITIALIZED ") + (initialized ? L"1" : L"0"));

  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &WindowProc;
  wc.hInstance = hInstance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kWindowClass;
  RegisterClassExW(&wc);
  HWND hwnd = CreateWindowExW(0, kWindowClass, L"Velmora browser",
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 40, 30, 1024,
                              700, nullptr, nullptr, hInstance, nullptr);
  g_hLoginWnd = hwnd;  // login and popup messages come here
  std::vector<std::string> sites = g_options.sites;
  sites.push_back(CefString(g_options.url).ToString());
  g_handler = new ToolHandler(g_options.dumpErrorPages, SitePolicy(sites, g_options.extraHosts));
  g_handler->m_hHostWnd = hwnd;

  RECT rc;
  GetClientRect(hwnd, &rc);
  CefWindowInfo windowInfo;
  windowInfo.SetAsChild(hwnd, rc);
  CefBrowserSettings browserSettings;
  CefBrowserHost::CreateBrowser(windowInfo, g_handler.get(), g_options.url, browserSettings,
                                nullptr);
  if (g_options.timeoutMs) SetTimer(hwnd, kTimeoutTimer, g_options.timeoutMs, nullptr);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (g_options.closeLikeLoginWindow) {
    DestroyWindow(hwnd);
    CefRunMessageLoop();  // CEF is already shut down: returns at once
    LogEvent(L"MESSAGE_LOOP_RETURNED");
  }
  CefShutdown();
  LogEvent(L"SHUTDOWN");
  g_handler = nullptr;
  return 0;
}
