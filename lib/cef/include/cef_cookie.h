// The browsers' cookie store, which lives in the profile (cache) folder.
#ifndef CEF_INCLUDE_CEF_COOKIE_H_
#define CEF_INCLUDE_CEF_COOKIE_H_

#include "include/cef_base.h"
#include "include/cef_callback.h"

class CefCookieManager : public virtual CefBase {
 public:
  // The store of CefSettings.cache_path (in memory without one). Null
  // before CefInitialize or after CefShutdown. |callback| runs on CEF's IO
  // thread once the store has been opened.
  static CefRefPtr<CefCookieManager> GetGlobalManager(CefRefPtr<CefCompletionCallback> callback);

  // Writes the store to disk; |callback| runs on CEF's IO thread when that
  // is done. False when the cookies cannot be reached.
  virtual bool FlushStore(CefRefPtr<CefCompletionCallback> callback) = 0;
};

#endif  // CEF_INCLUDE_CEF_COOKIE_H_
