#include "app/crash_dump.h"

#include <dbghelp.h>

#include "velmora_version.h"

namespace {

typedef BOOL(WINAPI* WriteDumpFunction)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                        PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

const wchar_t kDumpPattern[] = L"velmora-*.dmp";
const int kMaxPath = 1024;
// How long a crashing thread waits for its dump before the process ends.
const DWORD kDumpDeadlineMs = 60000;
// How long it waits for the dump thread to get its file open. That thread
// may never get there: it is gone when the process is already ending, and it
// waits for ever for a lock that the crashing thread holds, such as the
// heap's after a fault inside the heap. The process then ends without a
// dump rather than hold the player's profile for a minute.
const DWORD kDumpStartMs = 5000;

// Everything the crash path needs is made at installation: a crashing
// process may have a broken heap or no stack left. The dump is written by a
// thread of its own, which has a stack.
wchar_t g_folder[kMaxPath];
WriteDumpFunction g_writeDump = nullptr;
HANDLE g_dumpThread = nullptr;
HANDLE g_crashed = nullptr;
HANDLE g_writing = nullptr;  // the dump thread has its file open
HANDLE g_dumped = nullptr;
LONG g_crashing = 0;
EXCEPTION_POINTERS* g_exception = nullptr;
DWORD g_crashedThread = 0;

// Appends |text| to |out| (of |size| characters), always terminated.
void Append(wchar_t* out, size_t size, const wchar_t* text) {
  size_t length = lstrlenW(out);
  while (*text && length + 1 < size) out[length++] = *text++;
  out[length] = L'\0';
}

void AppendNumber(wchar_t* out, size_t size, unsigned value, int digits) {
  wchar_t text[12] = {};
  for (int i = digits - 1; i >= 0; --i, value /= 10) text[i] = static_cast<wchar_t>(L'0' + value % 10);
  Append(out, size, text);
}

void FormatDumpName(wchar_t* out, size_t size, const SYSTEMTIME& utc, const char* version) {
  out[0] = L'\0';
  Append(out, size, L"velmora-");
  AppendNumber(out, size, utc.wYear, 4);
  AppendNumber(out, size, utc.wMonth, 2);
  AppendNumber(out, size, utc.wDay, 2);
  Append(out, size, L"-");
  AppendNumber(out, size, utc.wHour, 2);
  AppendNumber(out, size, utc.wMinute, 2);
  AppendNumber(out, size, utc.wSecond, 2);
  Append(out, size, L"-");
  for (wchar_t one[2] = {}; *version; ++version) {  // the version is ASCII
    one[0] = static_cast<wchar_t>(static_cast<unsigned char>(*version));
    Append(out, size, one);
  }
  Append(out, size, L".dmp");
}

// Deletes the oldest "velmora-*.dmp" of |folder| (ending with a backslash)
// until |keep| are left, with buffers of its own on the dump thread's stack.
void KeepNewestDumps(const wchar_t* folder, int keep) {
  wchar_t path[kMaxPath + MAX_PATH];
  for (;;) {
    path[0] = L'\0';
    Append(path, kMaxPath + MAX_PATH, folder);
    Append(path, kMaxPath + MAX_PATH, kDumpPattern);
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(path, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    int count = 0;
    wchar_t oldest[MAX_PATH] = {};
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      ++count;
      if (oldest[0] == L'\0' || lstrcmpW(found.cFileName, oldest) < 0) lstrcpynW(oldest, found.cFileName, MAX_PATH);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    if (count <= keep) return;
    path[0] = L'\0';
    Append(path, kMaxPath + MAX_PATH, folder);
    Append(path, kMaxPath + MAX_PATH, oldest);
    if (!::DeleteFileW(path)) return;  // never loop on a file that stays
  }
}

HANDLE OpenDumpFile() {
  ::CreateDirectoryW(g_folder, nullptr);
  SYSTEMTIME now;
  ::GetSystemTime(&now);
  wchar_t name[MAX_PATH];
  FormatDumpName(name, MAX_PATH, now, VELMORA_VERSION_TEXT);
  wchar_t path[kMaxPath + MAX_PATH] = {};
  Append(path, kMaxPath + MAX_PATH, g_folder);
  Append(path, kMaxPath + MAX_PATH, name);
  return ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void WriteDumpTo(HANDLE file) {
  MINIDUMP_EXCEPTION_INFORMATION exception = {};
  exception.ThreadId = g_crashedThread;
  exception.ExceptionPointers = g_exception;
  exception.ClientPointers = FALSE;
  g_writeDump(::GetCurrentProcess(), ::GetCurrentProcessId(), file, MiniDumpNormal, &exception, nullptr, nullptr);
  ::CloseHandle(file);
  KeepNewestDumps(g_folder, kKeptCrashDumps);
}

DWORD WINAPI DumpThread(void*) {
  ::WaitForSingleObject(g_crashed, INFINITE);
  HANDLE file = OpenDumpFile();
  if (file == INVALID_HANDLE_VALUE) return 0;
  ::SetEvent(g_writing);
  WriteDumpTo(file);
  ::SetEvent(g_dumped);
  return 0;
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info) {
  // One dump per process: a second thread that crashes meanwhile waits for
  // the first one's dump to end the process.
  if (::InterlockedExchange(&g_crashing, 1) != 0) ::Sleep(INFINITE);
  g_exception = info;
  g_crashedThread = ::GetCurrentThreadId();
  ::SetEvent(g_crashed);
  HANDLE started[] = {g_writing, g_dumpThread};
  if (::WaitForMultipleObjects(2, started, FALSE, kDumpStartMs) == WAIT_OBJECT_0) {
    HANDLE done[] = {g_dumped, g_dumpThread};
    ::WaitForMultipleObjects(2, done, FALSE, kDumpDeadlineMs);
  }
  ::TerminateProcess(::GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

std::wstring CrashFolderFor(const std::wstring& cacheFolder) {
  std::wstring folder = cacheFolder;
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  size_t last = folder.find_last_of(L"\\/");
  folder.erase(last == std::wstring::npos ? 0 : last + 1);
  return folder + L"crashes\\";
}

std::wstring CrashDumpName(const SYSTEMTIME& utc, const char* version) {
  wchar_t name[MAX_PATH];
  FormatDumpName(name, MAX_PATH, utc, version);
  return name;
}

void InstallCrashHandler(const std::wstring& crashFolder) {
  if (g_crashed != nullptr || crashFolder.empty() || crashFolder.size() >= kMaxPath) return;
  HMODULE dbghelp = ::LoadLibraryW(L"dbghelp.dll");
  if (dbghelp == nullptr) return;
  g_writeDump = reinterpret_cast<WriteDumpFunction>(
      reinterpret_cast<void*>(::GetProcAddress(dbghelp, "MiniDumpWriteDump")));
  if (g_writeDump == nullptr) return;
  lstrcpynW(g_folder, crashFolder.c_str(), kMaxPath);
  g_crashed = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_writing = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_dumped = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_dumpThread = ::CreateThread(nullptr, 0, &DumpThread, nullptr, 0, nullptr);
  if (g_dumpThread == nullptr) return;
  ::SetUnhandledExceptionFilter(&OnUnhandledException);
}
