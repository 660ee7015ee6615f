#include "cef_library.h"

#include <cstring>
#include <mutex>

namespace {

template <class Fn>
bool Resolve(HMODULE module, const char* name, Fn& fn) {
  fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return fn != nullptr;
}

const CefLibrary* Load() {
  static CefLibrary lib;
  HMODULE module = LoadLibraryW(L"libcef.dll");
  if (!module) return nullptr;
  bool ok = Resolve(module, "cef_api_hash", lib.api_hash) &&
            Resolve(module, "cef_execute_process", lib.execute_process) &&
            Resolve(module, "cef_initialize", lib.initialize) &&
            Resolve(module, "cef_shutdown", lib.shutdown) &&
            Resolve(module, "cef_run_message_loop", lib.run_message_loop) &&
            Resolve(module, "cef_quit_message_loop", lib.quit_message_loop) &&
            Resolve(module, "cef_browser_host_create_browser", lib.create_browser) &&
            Resolve(module, "cef_string_userfree_utf16_free", lib.userfree_free) &&
            Resolve(module, "cef_currently_on", lib.currently_on) &&
            Resolve(module, "cef_enable_highdpi_support", lib.enable_highdpi_support) &&
            Resolve(module, "cef_cookie_manager_get_global_manager", lib.cookie_manager_get_global_manager);
  if (!ok) return nullptr;
  const char* hash = lib.api_hash(0);
  if (!hash || std::strcmp(hash, CEF_API_HASH_PLATFORM) != 0) return nullptr;
  return &lib;
}

}  // namespace

const CefLibrary* CefLoadLibrary() {
  static std::once_flag once;
  static const CefLibrary* lib = nullptr;
  std::call_once(once, [] { lib = Load(); });
  return lib;
}

std::wstring CefTakeUserFreeString(cef_string_userfree_t str) {
  if (!str) return std::wstring();
  std::wstring text(str->str ? str->str : L"", str->str ? str->length : 0);
  const CefLibrary* lib = CefLoadLibrary();
  if (lib) lib->userfree_free(str);
  return text;
}
