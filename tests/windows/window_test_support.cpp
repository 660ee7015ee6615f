#include "window_test_support.h"

#include <cstdlib>
#include <fstream>

namespace {
WindowTestEnvironment* g_environment = nullptr;
}

WindowTestEnvironment::WindowTestEnvironment() {
  // Aware of the system DPI, as the client's manifest makes it, before the
  // toolkit first reads the DPI.
  SetProcessDPIAware();
  CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
  CPaintManagerUI::SetResourcePath(CPaintManagerUI::GetInstancePath() + _T("skin"));
  g_environment = this;
  CefSetCreateBrowserHook([](const CefWindowInfo& info, CefRefPtr<CefClient> client, const CefString& url) {
    BrowserRequest request;
    request.parent = info.parent_window;
    request.area = RECT{info.x, info.y, info.x + info.width, info.y + info.height};
    request.style = info.style;
    request.client = client;
    request.url = url.ToWString();
    g_environment->requests.push_back(request);
    return true;
  });
}

WindowTestEnvironment::~WindowTestEnvironment() {
  CefSetCreateBrowserHook(CefCreateBrowserHook());
  g_environment = nullptr;
}

void PumpMessages(int rounds) {
  for (int i = 0; i < rounds; ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

bool PostClick(CPaintManagerUI& manager, HWND window, const wchar_t* name) {
  CControlUI* control = manager.FindControl(name);
  if (control == nullptr) return false;
  RECT pos = control->GetPos();
  LPARAM at = MAKELPARAM((pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2);
  PostMessageW(window, WM_MOUSEMOVE, 0, at);
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(window, WM_LBUTTONUP, 0, at);
  return true;
}

bool ClickControl(CPaintManagerUI& manager, HWND window, const wchar_t* name) {
  if (!PostClick(manager, window, name)) return false;
  PumpMessages();
  return true;
}

int AtScreenDpi(int value) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const int twice = 2 * value * dpi;
  return (twice + (value < 0 ? -96 : 96)) / 192;
}

RECT WindowRect(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

RECT WorkArea() {
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

HWND MakeBrowserWindow(HWND parent, const RECT& area) {
  return CreateWindowExW(0, L"STATIC", L"browser", WS_CHILD | WS_VISIBLE, area.left, area.top,
                         area.right - area.left, area.bottom - area.top, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

bool HasUrlRecorder() { return std::getenv("VELMORA_URL_LOG") != nullptr; }

std::vector<std::string> RecordedUrls() {
  std::vector<std::string> urls;
  const char* log = std::getenv("VELMORA_URL_LOG");
  if (log == nullptr) return urls;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) urls.push_back(line);
  return urls;
}

// winebrowser runs the recorder in the background: wait a little for it.
std::vector<std::string> WaitForUrls(size_t count) {
  for (int i = 0; i < 100; ++i) {
    std::vector<std::string> urls = RecordedUrls();
    if (urls.size() >= count) return urls;
    Sleep(50);
  }
  return RecordedUrls();
}
