// The global cookie manager, and completion callbacks handed to libcef.
#include "cef_bridges.h"
#include "cef_cpptoc.h"
#include "cef_library.h"
#include "include/cef_cookie.h"

namespace {

typedef CefCppToC<cef_completion_callback_t, CefCompletionCallback> CompletionBridge;

void CEF_CALLBACK OnComplete(cef_completion_callback_t* self) { CompletionBridge::Get(self)->OnComplete(); }

void FillCompletion(cef_completion_callback_t* t) { t->on_complete = &OnComplete; }

class CookieManagerProxy : public CefCookieManager {
 public:
  explicit CookieManagerProxy(cef_cookie_manager_t* s) : c_(s) {}
  ~CookieManagerProxy() override { c_->base.release(&c_->base); }

  bool FlushStore(CefRefPtr<CefCompletionCallback> callback) override {
    return c_->flush_store(c_, CompletionBridge::Wrap(callback, &FillCompletion)) != 0;
  }

 private:
  cef_cookie_manager_t* c_;
  IMPLEMENT_REFCOUNTING(CookieManagerProxy);
};

}  // namespace

CefRefPtr<CefCookieManager> CefCookieManager::GetGlobalManager(CefRefPtr<CefCompletionCallback> callback) {
  const CefLibrary* lib = CefLoadLibrary();
  if (!lib || !CefContextIsInitialized()) return nullptr;
  cef_cookie_manager_t* manager =
      lib->cookie_manager_get_global_manager(CompletionBridge::Wrap(callback, &FillCompletion));
  if (!manager) return nullptr;
  return new CookieManagerProxy(manager);
}
