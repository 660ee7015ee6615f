// Observes and drives the client's windows from outside its process, for the
// end-to-end tests: finds windows by class and title, reports visibility and
// placement, turns window coordinates into screen coordinates (the tests
// click there with xdotool: under Xvfb, Wine's own pointer sync undoes
// SendInput's moves), and posts messages.
//
//   windriver find CLASS TITLE               -> "hwnd visible left top right bottom", exit 1 if none
//   windriver list CLASS TITLE               -> one such line per matching top-level window
//   windriver wait CLASS TITLE shown|hidden|gone SECONDS
//   windriver point CLASS TITLE X Y          -> "X Y": client coordinates on the screen
//   windriver post CLASS TITLE MSG WPARAM LPARAM
//   windriver close CLASS TITLE
//   windriver text HWND                      -> the window's text
//   windriver children HWND                  -> "hwnd class left top right bottom" per child
//   windriver style HWND                     -> the window's style, in hexadecimal
//   windriver end-renderer TEXT              -> ends the velmora.exe renderer whose
//                                               command line holds TEXT, as the task
//                                               manager does (exit code 1); prints how many
// A TITLE of "-" matches any title. Output goes to stdout and, when the
// environment names one in VELMORA_DRIVER_OUT, to that file: a program started
// inside Wine's virtual desktop has no console to print to.
#include <windows.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

struct Search {
  std::wstring className;
  std::wstring title;
  HWND found;
  bool listAll;
};

std::wstring Widen(const char* text) {
  int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], length);
  return wide;
}

void PrintWindow(HWND hwnd) {
  RECT rect = {};
  GetWindowRect(hwnd, &rect);
  std::printf("%lu %d %ld %ld %ld %ld\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(hwnd)),
              IsWindowVisible(hwnd) ? 1 : 0, rect.left, rect.top, rect.right, rect.bottom);
}

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM data) {
  Search* search = reinterpret_cast<Search*>(data);
  wchar_t className[256] = {}, title[512] = {};
  GetClassNameW(hwnd, className, 256);
  GetWindowTextW(hwnd, title, 512);
  if (search->className == className && (search->title == L"-" || search->title == title)) {
    if (search->listAll) PrintWindow(hwnd);
    // Prefer a visible match when several windows share class and title.
    if (search->found == nullptr || (!IsWindowVisible(search->found) && IsWindowVisible(hwnd))) {
      search->found = hwnd;
    }
  }
  return TRUE;
}

HWND FindTopLevel(const char* className, const char* title, bool listAll = false) {
  Search search{Widen(className), Widen(title), nullptr, listAll};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Another process's command line, read from its process parameters.
std::wstring CommandLineOf(HANDLE process) {
  PROCESS_BASIC_INFORMATION info = {};
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, nullptr) != 0) return L"";
  PEB peb = {};
  RTL_USER_PROCESS_PARAMETERS params = {};
  if (!ReadProcessMemory(process, info.PebBaseAddress, &peb, sizeof peb, nullptr) ||
      !ReadProcessMemory(process, peb.ProcessParameters, &params, sizeof params, nullptr)) {
    return L"";
  }
  std::wstring text(params.CommandLine.Length / sizeof(wchar_t), L'\0');
  if (!ReadProcessMemory(process, params.CommandLine.Buffer, &text[0], params.CommandLine.Length, nullptr)) {
    return L"";
  }
  return text;
}

// Under Wine, a renderer killed from Linux ends with exit code 0, which
// Chromium takes for a normal end; ended here it carries a real one.
int EndRenderer(const std::wstring& token) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  int ended = 0;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, L"velmora.exe") != 0) continue;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE, FALSE,
                                 entry.th32ProcessID);
    if (!process) continue;
    std::wstring line = CommandLineOf(process);
    if (line.find(L"--type=renderer") != std::wstring::npos && line.find(token) != std::wstring::npos &&
        TerminateProcess(process, 1)) {
      ++ended;
    }
    CloseHandle(process);
  }
  CloseHandle(snapshot);
  return ended;
}

int Usage() {
  std::fprintf(stderr, "usage: windriver find|list|wait|point|post|close|text|children|style|end-renderer ...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Places in the screen's own pixels, as the DPI-aware client sees them.
  SetProcessDPIAware();
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
  if (command == "style" && argc == 3) {
    HWND hwnd = reinterpret_cast<HWND>(std::strtoul(argv[2], nullptr, 10));
    std::printf("%08lx\n", static_cast<unsigned long>(GetWindowLongW(hwnd, GWL_STYLE)));
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
  if (command == "end-renderer" && argc == 3) {
    int ended = EndRenderer(Widen(argv[2]));
    std::printf("%d\n", ended);
    return ended > 0 ? 0 : 1;
  }
  if (argc < 4) return Usage();
  if (command == "list") {
    FindTopLevel(argv[2], argv[3], true);
    return 0;
  }

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
  if (command == "point" && argc == 6) {
    POINT at = {std::atol(argv[4]), std::atol(argv[5])};
    ClientToScreen(hwnd, &at);
    std::printf("%ld %ld\n", at.x, at.y);
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
