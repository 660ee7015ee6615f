#include "browser/page_recovery.h"

#include "app/app_messages.h"
#include "browser/error_page.h"
#include "include/cef_frame.h"

namespace {

// The stand-in that gives a dead page a new renderer before the stopped
// page is shown: CEF holds back page texts while a browser has no renderer.
const wchar_t kBlankPage[] = L"about:blank";
const char kTimedOutText[] = "net::ERR_TIMED_OUT";

std::string Utf8(const std::wstring& text) { return CefString(text).ToString(); }

int Seconds(uint32_t ms) { return static_cast<int>(ms / 1000); }

}  // namespace

PageRecovery::PageRecovery(const HWND& hostWindow)
    : m_hostWindow(hostWindow),
      m_retryTimer([this] { OnRetryDue(); }),
      m_deadlineTimer([this] { OnDeadlinePassed(); }) {}

void PageRecovery::OnNavigation(const std::wstring& url, bool redirect) {
  if (url == kBlankPage) return;  // our stand-in, not a site
  {
    std::lock_guard<std::mutex> lock(m_lock);
    // A redirect keeps the address the load began with: that is the one
    // to try again.
    if (!redirect || !m_loading) m_loadingUrl = url;
    m_loading = true;
  }
  m_deadlineTimer.Start(kLoadDeadlineMs);
}

void PageRecovery::OnCommitted() {
  bool siteAnswered;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    // Only a navigation that went to a site runs under the deadline; our
    // pages, Chromium's own error page and the blank page do not.
    siteAnswered = m_loading;
    m_loading = false;
    if (m_pending == Step::kTimedOut) m_pending = Step::kNone;
    if (siteAnswered) {
      m_failures = 0;
      m_pageUrl.clear();
      if (m_pending == Step::kRetry) m_pending = Step::kNone;
    }
  }
  m_deadlineTimer.Stop();
  if (siteAnswered) m_retryTimer.Stop();
}

void PageRecovery::OnLoadingStopped() {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_loading = false;
    if (m_pending == Step::kTimedOut) m_pending = Step::kNone;
  }
  m_deadlineTimer.Stop();
}

std::string PageRecovery::OnFailed(const std::wstring& url, const std::string& errorText,
                                   int errorCode) {
  uint32_t delay;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_loading = false;
    delay = RetryDelayMs(++m_failures);
    m_pageUrl = url;
  }
  m_deadlineTimer.Stop();
  m_retryTimer.Start(delay);
  return BuildRetryingErrorPage(Utf8(url), errorText, errorCode, Seconds(delay));
}

std::string PageRecovery::OnLoadEnd(std::wstring* pageUrl) {
  std::lock_guard<std::mutex> lock(m_lock);
  if (!m_stoppedPageDue) return std::string();
  // The blank stand-in has its renderer now: the stopped page can go in.
  m_stoppedPageDue = false;
  *pageUrl = m_pageUrl;
  return BuildStoppedPage(Utf8(m_pageUrl));
}

void PageRecovery::OnRendererGone(int browserId, const std::wstring& url) {
  Step step;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    bool again = m_deaths.RecordAndCheckRepeated(browserId, ::GetTickCount());
    m_loading = false;
    m_stoppedPageDue = false;
    // The stopped page stands in for the page that died, or for the page
    // that our error page already stood in for.
    if (m_pageUrl.empty() && again) m_pageUrl = url;
    step = again ? Step::kShowStoppedPage : Step::kReloadAfterDeath;
  }
  m_deadlineTimer.Stop();
  m_retryTimer.Stop();
  Announce(step);
}

void PageRecovery::OnRetryDue() { Announce(Step::kRetry); }

void PageRecovery::OnDeadlinePassed() {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_loading) return;
  }
  Announce(Step::kTimedOut);
}

void PageRecovery::Announce(Step step) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    bool deathPending = m_pending == Step::kReloadAfterDeath || m_pending == Step::kShowStoppedPage;
    bool death = step == Step::kReloadAfterDeath || step == Step::kShowStoppedPage;
    if (deathPending && !death) return;
    m_pending = step;
  }
  HWND host = m_hostWindow;
  if (host) ::PostMessageW(host, WM_RECOVER_PAGE, 0, 0);
}

void PageRecovery::RunPendingStep(CefRefPtr<CefBrowser> browser) {
  if (!browser) return;
  CefRefPtr<CefFrame> frame = browser->GetMainFrame();
  if (!frame) return;
  Step step;
  std::wstring url;
  std::string page;
  uint32_t delay = 0;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    step = m_pending;
    m_pending = Step::kNone;
    url = m_pageUrl;
    switch (step) {
      case Step::kNone:
        return;
      case Step::kRetry:
        if (url.empty()) return;  // the page came back meanwhile
        break;
      case Step::kTimedOut:
        if (!m_loading) return;  // the site answered meanwhile
        m_loading = false;
        url = m_pageUrl = m_loadingUrl;
        delay = RetryDelayMs(++m_failures);
        page = BuildRetryingErrorPage(Utf8(url), kTimedOutText, ERR_TIMED_OUT, Seconds(delay));
        break;
      case Step::kReloadAfterDeath:
        break;
      case Step::kShowStoppedPage:
        m_stoppedPageDue = true;
        break;
    }
  }
  switch (step) {
    case Step::kRetry:
      frame->LoadURL(url);
      break;
    case Step::kTimedOut:
      // Replaces the load that hangs, as a failed load is replaced.
      m_deadlineTimer.Stop();
      frame->LoadString(page, url);
      m_retryTimer.Start(delay);
      break;
    case Step::kReloadAfterDeath:
      if (url.empty()) {
        browser->Reload();
      } else {
        frame->LoadURL(url);
      }
      break;
    case Step::kShowStoppedPage:
      frame->LoadURL(kBlankPage);
      break;
    case Step::kNone:
      break;
  }
}

void PageRecovery::Reload(CefRefPtr<CefBrowser> browser) {
  if (!browser) return;
  std::wstring url;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    url = m_pageUrl;
    if (m_pending == Step::kRetry) m_pending = Step::kNone;
  }
  m_retryTimer.Stop();
  if (url.empty()) {
    browser->Reload();
  } else if (CefRefPtr<CefFrame> frame = browser->GetMainFrame()) {
    frame->LoadURL(url);
  }
}
