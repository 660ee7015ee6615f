// libcef.dll, loaded on first use. Loading it lazily keeps unit tests of the
// client free of the 50 MB runtime.
#ifndef CEF_SRC_CEF_LIBRARY_H_
#define CEF_SRC_CEF_LIBRARY_H_

#include "include/internal/cef_c_interfaces.h"

// The API hash of the C API declared in include/internal (Windows, 3.2623).
#define CEF_API_HASH_PLATFORM "64b27477b82b44b51ce817522f744fca6768cbbb"

struct CefLibrary {
  const char* (*api_hash)(int entry);
  int (*execute_process)(const cef_main_args_t* args, cef_app_t* app, void* sandbox);
  int (*initialize)(const cef_main_args_t* args, const cef_settings_t* settings,
                    cef_app_t* app, void* sandbox);
  void (*shutdown)();
  void (*run_message_loop)();
  void (*quit_message_loop)();
  int (*create_browser)(const cef_window_info_t* window_info, cef_client_t* client,
                        const cef_string_t* url, const cef_browser_settings_t* settings,
                        void* request_context);
  void (*userfree_free)(cef_string_userfree_t str);
  int (*currently_on)(cef_thread_id_t thread);
  void (*enable_highdpi_support)();
  cef_cookie_manager_t* (*cookie_manager_get_global_manager)(cef_completion_callback_t* callback);
};

// The loaded library, or null when libcef.dll is missing, lacks an entry
// point or reports another API hash.
const CefLibrary* CefLoadLibrary();

// True from a successful CefInitialize until CefShutdown begins.
bool CefContextIsInitialized();

// Client callbacks that may send messages to windows are bracketed by these.
// The thread that calls CefShutdown waits inside libcef, so such a callback
// running then would wait for ever on its SendMessageW. From the start of
// CefShutdown on, Begin returns false and the callback gets CEF's default;
// CefShutdown first lets callbacks already under way finish, handling the
// messages they send. Life-span callbacks are not bracketed, so the client
// still lets go of its browsers.
bool CefBeginClientCallback();
void CefEndClientCallback();

// Takes the text of a string that libcef allocated for us, and frees it.
#include <string>
std::wstring CefTakeUserFreeString(cef_string_userfree_t str);

#endif  // CEF_SRC_CEF_LIBRARY_H_
