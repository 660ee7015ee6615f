// Linked into the test build of velmora.exe only (bin/crashing/): once the
// login window is up, the browser process fails the way its switch asks.
//   --crash-test=access-violation  a write through a null pointer in the
//                                  login window's procedure, on the main thread
//   --crash-test=wrong-thread      a callback of the portal's client called
//                                  on a thread that is not CEF's UI thread
//   --crash-test=heap-locked       the access violation, with the process
//                                  heap's lock held, as by a fault inside
//                                  the heap: no other thread can allocate
#include <windows.h>

#include <cwchar>

#include "app/app_globals.h"
#include "browser/simple_handler.h"

namespace {

const UINT kCrashMessage = WM_APP + 0x7C0;
WNDPROC g_loginProc = nullptr;

bool g_lockHeapFirst = false;

LRESULT CALLBACK CrashingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kCrashMessage) {
    if (g_lockHeapFirst) ::HeapLock(::GetProcessHeap());
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
  }
  return ::CallWindowProcW(g_loginProc, window, message, wParam, lParam);
}

HWND WaitForLoginWindow() {
  for (;;) {
    HWND window = ::FindWindowW(L"XMLWnd", L"Velmora");
    DWORD process = 0;
    if (window) ::GetWindowThreadProcessId(window, &process);
    if (window && process == ::GetCurrentProcessId()) return window;
    ::Sleep(100);
  }
}

DWORD WINAPI CrashLater(void* kind) {
  HWND login = WaitForLoginWindow();
  ::Sleep(1000);  // the portal is on its way by now
  g_lockHeapFirst = std::wcscmp(static_cast<const wchar_t*>(kind), L"heap-locked") == 0;
  if (g_lockHeapFirst || std::wcscmp(static_cast<const wchar_t*>(kind), L"access-violation") == 0) {
    g_loginProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(login, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CrashingProc)));
    ::PostMessageW(login, kCrashMessage, 0, 0);
  } else {
    // A key event without its Windows message is one the client ignores:
    // only the thread check at the top of the callback can act on it.
    CefKeyEvent event;
    g_pSimpleHandler->OnPreKeyEvent(nullptr, event, nullptr, nullptr);
  }
  return 0;
}

struct CrashTrigger {
  CrashTrigger() {
    const wchar_t* line = ::GetCommandLineW();
    if (std::wcsstr(line, L"--type=")) return;  // a CEF sub-process
    static const wchar_t* const kKinds[] = {L"access-violation", L"wrong-thread", L"heap-locked"};
    for (const wchar_t* kind : kKinds) {
      wchar_t option[64] = L"--crash-test=";
      std::wcscat(option, kind);
      if (std::wcsstr(line, option)) ::CloseHandle(::CreateThread(nullptr, 0, &CrashLater, const_cast<wchar_t*>(kind), 0, nullptr));
    }
  }
} g_trigger;

}  // namespace
