// Test seam of the wrapper: lets unit tests observe browser creation without
// libcef. Production code never sets it.
#ifndef CEF_INCLUDE_TEST_CEF_TEST_SEAM_H_
#define CEF_INCLUDE_TEST_CEF_TEST_SEAM_H_

#include <functional>

#include "include/cef_browser.h"
#include "include/cef_client.h"

// Called by CefBrowserHost::CreateBrowser instead of libcef while set; its
// result is CreateBrowser's result. Pass an empty function to clear it.
typedef std::function<bool(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client,
                           const CefString& url)>
    CefCreateBrowserHook;
void CefSetCreateBrowserHook(CefCreateBrowserHook hook);

// Called by CefQuitMessageLoop, in place of libcef, while set.
void CefSetQuitMessageLoopHook(std::function<void()> hook);

#endif  // CEF_INCLUDE_TEST_CEF_TEST_SEAM_H_
