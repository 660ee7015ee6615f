#include "browser/cookie_flush.h"

#include <windows.h>

#include "include/cef_cookie.h"

namespace {

// Longer than a flush of a player's cookies takes on a slow disk; a client
// that is closing must not hang on a store that never answers.
const DWORD kFlushDeadlineMs = 5000;

// Holds a handle of its own to the event: it may run after the wait gave up.
class SignalWhenDone : public CefCompletionCallback {
 public:
  explicit SignalWhenDone(HANDLE done) {
    ::DuplicateHandle(::GetCurrentProcess(), done, ::GetCurrentProcess(), &m_done, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
  }
  ~SignalWhenDone() override {
    if (m_done) ::CloseHandle(m_done);
  }
  void OnComplete() override {
    if (m_done) ::SetEvent(m_done);
  }

 private:
  HANDLE m_done = nullptr;
  IMPLEMENT_REFCOUNTING(SignalWhenDone);
};

}  // namespace

void FlushCookiesBeforeShutdown() {
  CefRefPtr<CefCookieManager> cookies = CefCookieManager::GetGlobalManager(nullptr);
  if (!cookies) return;
  HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!done) return;
  if (cookies->FlushStore(new SignalWhenDone(done))) {
    // A browser callback under way may be sending a message to this
    // thread's windows meanwhile: handle those, as CefShutdown does.
    DWORD deadline = ::GetTickCount() + kFlushDeadlineMs;
    for (;;) {
      LONG left = static_cast<LONG>(deadline - ::GetTickCount());
      if (left <= 0) break;
      DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &done, static_cast<DWORD>(left), QS_SENDMESSAGE, 0);
      if (woke != WAIT_OBJECT_0 + 1) break;
      MSG msg;
      ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }
  ::CloseHandle(done);
}
