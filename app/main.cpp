// The entry point. One executable is both the browser process that the
// player starts and every sub-process that CEF launches; CEF tells the two
// apart first, and only the browser process goes on to show windows.
#include <windows.h>
#include <ole2.h>

#include <string>

#include "UIlib.h"
#include "app/app_globals.h"
#include "app/cache_folder.h"
#include "app/cef_startup.h"
#include "app/crash_dump.h"
#include "app/profile_lock.h"
#include "app/update_client.h"
#include "browser/simple_app.h"
#include "include/cef_app.h"
#include "res/resource.h"
#include "ui/DuiFormLogin.h"
#include "velmora_operator.h"

using DuiLib::CPaintManagerUI;

namespace {
const DWORD kLoginStyle = WS_VISIBLE | WS_OVERLAPPEDWINDOW;
const DWORD kLoginExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
}  // namespace

int APIENTRY wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int) {
  // Before anything can read the screen's DPI, in this process and in every
  // sub-process: the browsers render at the display's scale, and the toolkit
  // and the windows scale their 96-DPI pixel values by the same factor.
  CefEnableHighDPISupport();
  ::CoInitialize(nullptr);
  ::OleInitialize(nullptr);

  CefMainArgs main_args(hInstance);
  CefRefPtr<SimpleApp> app(new SimpleApp(DuiLib::CDPI::GetDPI()));

  // A CEF sub-process ends here with CEF's exit code.
  int exit_code = CefExecuteProcess(main_args, app.get(), nullptr);
  if (exit_code >= 0) return exit_code;

  std::wstring preferred_cache = BrowserCachePath(ReadCurrentDirectory());
  std::wstring cache_path = ChooseBrowserCache(preferred_cache);
  // Dumps go beside the profile actually used; a client without a folder it
  // can write still tries beside its working folder's.
  InstallCrashHandler(CrashFolderFor(cache_path.empty() ? preferred_cache : cache_path));
  if (!cache_path.empty() && !ClaimBrowserCache(cache_path)) {
    // Another client plays from this folder. Chromium would move its profile
    // aside and start an empty one; this client keeps its profile in memory.
    cache_path.clear();
  }

  CefSettings settings;
  FillCefSettings(settings, cache_path);
  CefInitialize(main_args, settings, app.get(), nullptr);
  StartUpdateCheck();  // in the background: the login window does not wait

  CPaintManagerUI::SetInstance(hInstance);
  CPaintManagerUI::SetResourcePath(CPaintManagerUI::GetInstancePath() + _T("skin"));

  CDuiFormLogin* login = new CDuiFormLogin();
  g_hLoginWnd = login->Create(nullptr, VELMORA_OPERATOR_PRODUCT_W, kLoginStyle, kLoginExStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr);
  if (g_hLoginWnd != nullptr) {
    HICON icon = ::LoadIconW(hInstance, MAKEINTRESOURCEW(IDI_VELMORA));
    ::SendMessageW(g_hLoginWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    login->ShowModal();
  } else {
    // Without its home window the client cannot be used or closed: end the
    // same way the close button does.
    CefShutdown();
  }
  delete login;

  ::CoUninitialize();
  CefRunMessageLoop();  // returns at once: CEF has been shut down already
  CefShutdown();
  ApplyUpdateAtExit();  // a verified update's installer, now that CEF is gone
  return 0;
}
