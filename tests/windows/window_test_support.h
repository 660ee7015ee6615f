// Shared set-up for the window tests: the toolkit pointed at the skins
// beside the test program, browser creation caught at the CEF seam, and
// helpers that drive real windows with real messages.
#ifndef VELMORA_TESTS_WINDOWS_WINDOW_TEST_SUPPORT_H_
#define VELMORA_TESTS_WINDOWS_WINDOW_TEST_SUPPORT_H_

#include <windows.h>

#include <string>
#include <vector>

#include "UIlib.h"

using namespace DuiLib;
#include "include/cef_browser.h"
#include "include/test/cef_test_seam.h"

// One browser that a window asked CEF for.
struct BrowserRequest {
  HWND parent;
  RECT area;  // x, y, x + width, y + height
  DWORD style;
  CefRefPtr<CefClient> client;
  std::wstring url;
};

class WindowTestEnvironment {
 public:
  WindowTestEnvironment();
  ~WindowTestEnvironment();
  std::vector<BrowserRequest> requests;
};

// Runs the thread's pending messages (posted ones included).
void PumpMessages(int rounds = 3);

// Presses and releases the left button at the centre of a named control,
// through the window's own message queue.
bool ClickControl(CPaintManagerUI& manager, HWND window, const wchar_t* name);
// The same click, left in the queue for the caller to run.
bool PostClick(CPaintManagerUI& manager, HWND window, const wchar_t* name);

// A 96-DPI pixel value at the screen's DPI, worked out here on its own (not
// by the code under test): to the nearest pixel, halves away from zero.
int AtScreenDpi(int value);

RECT WindowRect(HWND window);
RECT WorkArea();

// A real child window standing in for a browser's own window.
HWND MakeBrowserWindow(HWND parent, const RECT& area);

// The addresses that reached the system browser's stand-in (the recorder
// that scripts/test.sh sets up; see VELMORA_URL_LOG), and a wait for more.
bool HasUrlRecorder();
std::vector<std::string> RecordedUrls();
std::vector<std::string> WaitForUrls(size_t count);

#endif  // VELMORA_TESTS_WINDOWS_WINDOW_TEST_SUPPORT_H_
