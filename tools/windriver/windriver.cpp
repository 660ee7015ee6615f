// Drives and observes the client's windows from outside its process, for the
// end-to-end tests: finds windows by class and title, reports visibility and
// placement, and delivers real mouse and key input through SendInput.
//
//   windriver find CLASS TITLE               -> "hwnd visible left top right bottom", exit 1 if none
//   windriver wait CLASS TITLE shown|hidden|gone SECONDS
//   windriver click CLASS TITLE X Y          (client coordinates; real input)
//   windriver key CLASS TITLE VK             (foreground the window, press and release VK)
//   windriver post CLASS TITLE MSG WPARAM LPARAM
//   windriver close CLASS TITLE
//   windriver text HWND                      -> the window's text
//   windriver children HWND                  -> "hwnd class left top right bottom" per child
// A TITLE of "-" matches any title. Output goes to stdout and, when the
// environment names one in VELMORA_DRIVER_OUT, to that file: a program started
// inside Wine's virtual desktop has no console to print to.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

struct Search {
  std::wstring className;
  std::wstring title;
  HWND found;
};

std::wstring Widen(const char* text) {
  int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], length);
  return wide;
}

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM data) {
  Search* search = reinterpret_cast<Search*>(data);
  wchar_t className[256] = {}, title[512] = {};
  GetClassNameW(hwnd, className, 256);
  GetWindowTextW(hwnd, title, 512);
  if (search->className == className && (search->title == L"-" || search->title == title)) {
    // Prefer a visible match when several windows share class and title.
    if (search->found == nullptr || (!IsWindowVisible(search->found) && IsWindowVisible(hwnd))) {
      search->found = hwnd;
    }
  }
  return TRUE;
}

HWND FindTopLevel(const char* className, const char* title) {
  Search search{Widen(className), Widen(title), nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PrintWindow(HWND hwnd) {
  RECT rect = {};
  GetWindowRect(hwnd, &rect);
  std::printf("%lu %d %ld %ld %ld %ld\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(hwnd)),
              IsWindowVisible(hwnd) ? 1 : 0, rect.left, rect.top, rect.right, rect.bottom);
}

void SendMouse(DWORD flags, LONG x, LONG y) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>(x * 65535.0 / (GetSystemMetrics(SM_CXSCREEN) - 1));
  input.mi.dy = static_cast<LONG>(y * 65535.0 / (GetSystemMetrics(SM_CYSCREEN) - 1));
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
}

void SendKey(WORD vk, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

int Usage() {
  std::fprintf(stderr, "usage: windriver find|wait|click|key|post|close|text|children ...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (const char* out = std::getenv("VELMORA_DRIVER_OUT")) std::freopen(out, "w", stdout);
  if (argc < 2) return Usage();
  std::string command = argv[1];

  if (command == "text" && argc == 3) {
    HWND hwnd = reinterpret_cast<HWND>(std::strtoul(argv[2], nullptr, 10));
    wchar_t text[1024] = {};
    GetWindowTextW(hwnd, text, 1024);
    char narrow[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    std::printf("%s\n", narrow);
    return IsWindow(hwnd) ? 0 : 1;
  }
  if (command == "children" && argc == 3) {
    HWND parent = reinterpret_cast<HWND>(std::strtoul(argv[2], nullptr, 10));
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t className[256] = {};
      GetClassNameW(child, className, 256);
      RECT rect = {};
      GetWindowRect(child, &rect);
      std::printf("%lu %ls %ld %ld %ld %ld\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(child)),
                  className, rect.left, rect.top, rect.right, rect.bottom);
    }
    return 0;
  }
  if (argc < 4) return Usage();

  if (command == "wait" && argc == 6) {
    std::string want = argv[4];
    DWORD deadline = GetTickCount() + static_cast<DWORD>(std::atof(argv[5]) * 1000);
    do {
      HWND hwnd = FindTopLevel(argv[2], argv[3]);
      bool met = want == "gone" ? hwnd == nullptr
                                : hwnd != nullptr && (IsWindowVisible(hwnd) != FALSE) == (want == "shown");
      if (met) {
        if (hwnd) PrintWindow(hwnd);
        return 0;
      }
      Sleep(100);
    } while (static_cast<LONG>(deadline - GetTickCount()) > 0);
    return 1;
  }

  HWND hwnd = FindTopLevel(argv[2], argv[3]);
  if (hwnd == nullptr) {
    std::fprintf(stderr, "windriver: no window %s \"%s\"\n", argv[2], argv[3]);
    return 1;
  }
  if (command == "find") {
    PrintWindow(hwnd);
    return 0;
  }
  if (command == "click" && argc == 6) {
    POINT at = {std::atol(argv[4]), std::atol(argv[5])};
    ClientToScreen(hwnd, &at);
    SetForegroundWindow(hwnd);
    SendMouse(MOUSEEVENTF_MOVE, at.x, at.y);
    Sleep(50);
    SendMouse(MOUSEEVENTF_LEFTDOWN, at.x, at.y);
    Sleep(50);
    SendMouse(MOUSEEVENTF_LEFTUP, at.x, at.y);
    return 0;
  }
  if (command == "key" && argc == 5) {
    WORD vk = static_cast<WORD>(std::strtoul(argv[4], nullptr, 0));
    SetForegroundWindow(hwnd);
    Sleep(100);
    SendKey(vk, false);
    Sleep(50);
    SendKey(vk, true);
    return 0;
  }
  if (command == "post" && argc == 7) {
    UINT message = static_cast<UINT>(std::strtoul(argv[4], nullptr, 0));
    WPARAM wParam = static_cast<WPARAM>(std::strtoul(argv[5], nullptr, 0));
    LPARAM lParam = static_cast<LPARAM>(std::strtol(argv[6], nullptr, 0));
    return PostMessageW(hwnd, message, wParam, lParam) ? 0 : 1;
  }
  if (command == "close") return PostMessageW(hwnd, WM_CLOSE, 0, 0) ? 0 : 1;
  return Usage();
}
