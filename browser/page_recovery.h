// Brings a client's page back by itself. A failed main-frame load, or one
// whose site has not begun to answer after 30 s, shows the error page and
// is tried again after a growing delay. A renderer that dies is reloaded
// once; when it dies again within a minute, a page says that the game
// stopped, with a link (and F11) to load it again. One per client: the
// retry and deadline timers live here and nowhere else.
//
// Threads: CEF's UI thread reports what happens (the On... calls). The
// steps that load pages run on the main thread: the timers and the death
// of a renderer post WM_RECOVER_PAGE to the host window, which calls
// RunPendingStep. (Reloading from inside CEF's renderer-death callback
// crashes some CEF builds.)
#ifndef VELMORA_BROWSER_PAGE_RECOVERY_H_
#define VELMORA_BROWSER_PAGE_RECOVERY_H_

#include <windows.h>

#include <mutex>
#include <string>

#include "browser/recovery_policy.h"
#include "browser/recovery_timer.h"
#include "include/cef_browser.h"

class PageRecovery {
 public:
  // |hostWindow| is the client's host window member, read when a step is
  // posted; while it is null nothing is recovered.
  explicit PageRecovery(const HWND& hostWindow);

  // ---- CEF's UI thread ----
  // A main-frame navigation to |url| begins, or is redirected.
  void OnNavigation(const std::wstring& url, bool redirect);
  // The main frame committed a document. After a navigation to a site
  // that is the site answering, which ends a failure.
  void OnCommitted();
  // The browser has stopped loading.
  void OnLoadingStopped();
  // A main-frame load of |url| failed: the page to show in its place.
  std::string OnFailed(const std::wstring& url, const std::string& errorText, int errorCode);
  // The main frame finished loading. Returns a page to show now under
  // *pageUrl, or an empty text.
  std::string OnLoadEnd(std::wstring* pageUrl);
  // The renderer of browser |browserId| died while it showed |url|.
  void OnRendererGone(int browserId, const std::wstring& url);

  // ---- main thread ----
  // Runs the step that the last WM_RECOVER_PAGE announced.
  void RunPendingStep(CefRefPtr<CefBrowser> browser);
  // The player's reload (F11): a page shown in place of another loads
  // that other page again.
  void Reload(CefRefPtr<CefBrowser> browser);

 private:
  enum class Step { kNone, kRetry, kTimedOut, kReloadAfterDeath, kShowStoppedPage };

  void OnRetryDue();
  void OnDeadlinePassed();
  // Sets the step (a renderer's death outranks a retry) and tells the host.
  void Announce(Step step);

  const HWND& m_hostWindow;
  std::mutex m_lock;  // guards the members below
  Step m_pending = Step::kNone;
  int m_failures = 0;          // failed main-frame loads in a row
  std::wstring m_pageUrl;      // the address our own page stands in for
  std::wstring m_loadingUrl;   // the main-frame navigation to a site, under the deadline
  bool m_loading = false;      // that navigation has neither committed nor failed
  bool m_stoppedPageDue = false;  // show the stopped page once the blank one has loaded
  CrashHistory m_deaths;
  RecoveryTimer m_retryTimer;
  RecoveryTimer m_deadlineTimer;
};

#endif  // VELMORA_BROWSER_PAGE_RECOVERY_H_
