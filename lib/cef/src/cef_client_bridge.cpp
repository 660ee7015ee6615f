// The client and its handlers, handed to libcef as C function tables, and
// browser creation.
#include <cstring>
#include <functional>
#include <mutex>

#include "cef_bridges.h"
#include "cef_cpptoc.h"
#include "cef_ctocpp.h"
#include "cef_library.h"
#include "include/cef_client.h"
#include "include/test/cef_test_seam.h"

namespace {

typedef CefCppToC<cef_client_t, CefClient> ClientBridge;
typedef CefCppToC<cef_display_handler_t, CefDisplayHandler> DisplayBridge;
typedef CefCppToC<cef_life_span_handler_t, CefLifeSpanHandler> LifeSpanBridge;
typedef CefCppToC<cef_load_handler_t, CefLoadHandler> LoadBridge;
typedef CefCppToC<cef_request_handler_t, CefRequestHandler> RequestBridge;
typedef CefCppToC<cef_keyboard_handler_t, CefKeyboardHandler> KeyboardBridge;
typedef CefCppToC<cef_focus_handler_t, CefFocusHandler> FocusBridge;
typedef CefCppToC<cef_context_menu_handler_t, CefContextMenuHandler> ContextMenuBridge;

std::mutex g_hook_lock;
CefCreateBrowserHook g_create_hook;

template <class Struct>
void ReleaseArg(Struct* s) {
  if (s) s->base.release(&s->base);
}

// Brackets a callback that may reach the client's windows. Once CefShutdown
// has begun it is skipped: its counted arguments are released and the caller
// returns CEF's default.
class CallbackScope {
 public:
  template <class... Structs>
  explicit CallbackScope(Structs*... args) : active_(CefBeginClientCallback()) {
    if (!active_) (ReleaseArg(args), ...);
  }
  ~CallbackScope() {
    if (active_) CefEndClientCallback();
  }
  CallbackScope(const CallbackScope&) = delete;
  CallbackScope& operator=(const CallbackScope&) = delete;
  bool skipped() const { return !active_; }

 private:
  bool active_;
};

// ---- CefDisplayHandler ----

void CEF_CALLBACK OnAddressChange(cef_display_handler_t* self, cef_browser_t* browser,
                                  cef_frame_t* frame, const cef_string_t* url) {
  CallbackScope scope(browser, frame);
  if (scope.skipped()) return;
  DisplayBridge::Get(self)->OnAddressChange(CefBrowserFromC(browser), CefFrameFromC(frame),
                                            CefString(url));
}
void CEF_CALLBACK OnTitleChange(cef_display_handler_t* self, cef_browser_t* browser,
                                const cef_string_t* title) {
  CallbackScope scope(browser);
  if (scope.skipped()) return;
  DisplayBridge::Get(self)->OnTitleChange(CefBrowserFromC(browser), CefString(title));
}
void CEF_CALLBACK OnStatusMessage(cef_display_handler_t* self, cef_browser_t* browser,
                                  const cef_string_t* value) {
  CallbackScope scope(browser);
  if (scope.skipped()) return;
  DisplayBridge::Get(self)->OnStatusMessage(CefBrowserFromC(browser), CefString(value));
}
int CEF_CALLBACK OnConsoleMessage(cef_display_handler_t* self, cef_browser_t* browser,
                                  const cef_string_t* message, const cef_string_t* source,
                                  int line) {
  CallbackScope scope(browser);
  if (scope.skipped()) return 0;
  return DisplayBridge::Get(self)->OnConsoleMessage(CefBrowserFromC(browser), CefString(message),
                                                    CefString(source), line);
}
void FillDisplay(cef_display_handler_t* t) {
  t->on_address_change = &OnAddressChange;
  t->on_title_change = &OnTitleChange;
  t->on_status_message = &OnStatusMessage;
  t->on_console_message = &OnConsoleMessage;
}

// ---- CefLifeSpanHandler ----

void FillClient(cef_client_t* t);

int CEF_CALLBACK OnBeforePopup(cef_life_span_handler_t* self, cef_browser_t* browser,
                               cef_frame_t* frame, const cef_string_t* target_url,
                               const cef_string_t* target_frame_name,
                               cef_window_open_disposition_t target_disposition,
                               int user_gesture, const cef_popup_features_t* popupFeatures,
                               cef_window_info_t* windowInfo, cef_client_t** client,
                               cef_browser_settings_t* settings, int* no_javascript_access) {
  // No popup opens while CEF shuts down.
  CallbackScope scope(browser, frame, client ? *client : nullptr);
  if (scope.skipped()) return 1;
  CefRefPtr<CefBrowser> browserPtr = CefBrowserFromC(browser);
  CefRefPtr<CefFrame> framePtr = CefFrameFromC(frame);
  CefPopupFeatures features = popupFeatures ? CefPopupFeatures(*popupFeatures) : CefPopupFeatures();

  // The handler edits copies; their strings move back to libcef afterwards.
  CefWindowInfo info;
  if (windowInfo) std::memcpy(static_cast<cef_window_info_t*>(&info), windowInfo, sizeof(*windowInfo));
  CefBrowserSettings browserSettings;
  if (settings) std::memcpy(static_cast<cef_browser_settings_t*>(&browserSettings), settings, sizeof(*settings));

  // The offered client comes with a reference of its own: take the object
  // and give the reference back at once.
  cef_client_t* offered = client ? *client : nullptr;
  CefRefPtr<CefClient> clientPtr;
  if (offered) {
    if (ClientBridge::IsOurs(offered)) clientPtr = ClientBridge::Get(offered);
    offered->base.release(&offered->base);
  }
  CefClient* offeredObject = clientPtr.get();

  bool noJavascriptAccess = no_javascript_access ? *no_javascript_access != 0 : false;
  bool cancel = LifeSpanBridge::Get(self)->OnBeforePopup(
      browserPtr, framePtr, CefString(target_url), CefString(target_frame_name),
      target_disposition, user_gesture != 0, features, info, clientPtr, browserSettings,
      &noJavascriptAccess);
  if (no_javascript_access) *no_javascript_access = noJavascriptAccess ? 1 : 0;

  if (windowInfo) std::memcpy(windowInfo, static_cast<cef_window_info_t*>(&info), sizeof(*windowInfo));
  std::memset(static_cast<cef_window_info_t*>(&info), 0, sizeof(cef_window_info_t));
  if (settings) std::memcpy(settings, static_cast<cef_browser_settings_t*>(&browserSettings), sizeof(*settings));
  std::memset(static_cast<cef_browser_settings_t*>(&browserSettings), 0, sizeof(cef_browser_settings_t));

  if (client && clientPtr.get() != offeredObject) *client = ClientBridge::Wrap(clientPtr, &FillClient);
  return cancel ? 1 : 0;
}
void CEF_CALLBACK OnAfterCreated(cef_life_span_handler_t* self, cef_browser_t* browser) {
  LifeSpanBridge::Get(self)->OnAfterCreated(CefBrowserFromC(browser));
}
int CEF_CALLBACK RunModal(cef_life_span_handler_t* self, cef_browser_t* browser) {
  return LifeSpanBridge::Get(self)->RunModal(CefBrowserFromC(browser));
}
int CEF_CALLBACK DoClose(cef_life_span_handler_t* self, cef_browser_t* browser) {
  return LifeSpanBridge::Get(self)->DoClose(CefBrowserFromC(browser));
}
void CEF_CALLBACK OnBeforeClose(cef_life_span_handler_t* self, cef_browser_t* browser) {
  LifeSpanBridge::Get(self)->OnBeforeClose(CefBrowserFromC(browser));
}
void FillLifeSpan(cef_life_span_handler_t* t) {
  t->on_before_popup = &OnBeforePopup;
  t->on_after_created = &OnAfterCreated;
  t->run_modal = &RunModal;
  t->do_close = &DoClose;
  t->on_before_close = &OnBeforeClose;
}

// ---- CefLoadHandler ----

void CEF_CALLBACK OnLoadingStateChange(cef_load_handler_t* self, cef_browser_t* browser,
                                       int isLoading, int canGoBack, int canGoForward) {
  CallbackScope scope(browser);
  if (scope.skipped()) return;
  LoadBridge::Get(self)->OnLoadingStateChange(CefBrowserFromC(browser), isLoading != 0,
                                              canGoBack != 0, canGoForward != 0);
}
void CEF_CALLBACK OnLoadStart(cef_load_handler_t* self, cef_browser_t* browser,
                              cef_frame_t* frame) {
  CallbackScope scope(browser, frame);
  if (scope.skipped()) return;
  LoadBridge::Get(self)->OnLoadStart(CefBrowserFromC(browser), CefFrameFromC(frame));
}
void CEF_CALLBACK OnLoadEnd(cef_load_handler_t* self, cef_browser_t* browser, cef_frame_t* frame,
                            int httpStatusCode) {
  CallbackScope scope(browser, frame);
  if (scope.skipped()) return;
  LoadBridge::Get(self)->OnLoadEnd(CefBrowserFromC(browser), CefFrameFromC(frame),
                                   httpStatusCode);
}
void CEF_CALLBACK OnLoadError(cef_load_handler_t* self, cef_browser_t* browser,
                              cef_frame_t* frame, cef_errorcode_t errorCode,
                              const cef_string_t* errorText, const cef_string_t* failedUrl) {
  CallbackScope scope(browser, frame);
  if (scope.skipped()) return;
  LoadBridge::Get(self)->OnLoadError(CefBrowserFromC(browser), CefFrameFromC(frame), errorCode,
                                     CefString(errorText), CefString(failedUrl));
}
void FillLoad(cef_load_handler_t* t) {
  t->on_loading_state_change = &OnLoadingStateChange;
  t->on_load_start = &OnLoadStart;
  t->on_load_end = &OnLoadEnd;
  t->on_load_error = &OnLoadError;
}

// ---- CefRequestHandler ----

int CEF_CALLBACK OnBeforeBrowse(cef_request_handler_t* self, cef_browser_t* browser,
                                cef_frame_t* frame, cef_request_t* request, int is_redirect) {
  CallbackScope scope(browser, frame, request);
  if (scope.skipped()) return 0;
  return RequestBridge::Get(self)->OnBeforeBrowse(CefBrowserFromC(browser), CefFrameFromC(frame),
                                                  CefRequestFromC(request), is_redirect != 0);
}
void CEF_CALLBACK OnRenderProcessTerminated(cef_request_handler_t* self, cef_browser_t* browser,
                                           cef_termination_status_t status) {
  CallbackScope scope(browser);
  if (scope.skipped()) return;
  RequestBridge::Get(self)->OnRenderProcessTerminated(CefBrowserFromC(browser), status);
}
// Runs on CEF's IO thread and sends no messages to windows, so it needs no
// callback scope.
cef_return_value_t CEF_CALLBACK OnBeforeResourceLoad(cef_request_handler_t* self, cef_browser_t* browser,
                                                     cef_frame_t* frame, cef_request_t* request,
                                                     cef_request_callback_t* callback) {
  return RequestBridge::Get(self)->OnBeforeResourceLoad(CefBrowserFromC(browser), CefFrameFromC(frame),
                                                        CefRequestFromC(request),
                                                        CefRequestCallbackFromC(callback));
}
void FillRequest(cef_request_handler_t* t) {
  t->on_before_browse = &OnBeforeBrowse;
  t->on_before_resource_load = &OnBeforeResourceLoad;
  t->on_render_process_terminated = &OnRenderProcessTerminated;
}

// ---- CefKeyboardHandler ----

int CEF_CALLBACK OnPreKeyEvent(cef_keyboard_handler_t* self, cef_browser_t* browser,
                               const cef_key_event_t* event, cef_event_handle_t os_event,
                               int* is_keyboard_shortcut) {
  CallbackScope scope(browser);
  if (scope.skipped()) return 0;
  bool shortcut = is_keyboard_shortcut ? *is_keyboard_shortcut != 0 : false;
  CefKeyEvent keyEvent = event ? CefKeyEvent(*event) : CefKeyEvent();
  bool handled = KeyboardBridge::Get(self)->OnPreKeyEvent(CefBrowserFromC(browser), keyEvent,
                                                          os_event, &shortcut);
  if (is_keyboard_shortcut) *is_keyboard_shortcut = shortcut ? 1 : 0;
  return handled;
}
int CEF_CALLBACK OnKeyEvent(cef_keyboard_handler_t* self, cef_browser_t* browser,
                            const cef_key_event_t* event, cef_event_handle_t os_event) {
  CallbackScope scope(browser);
  if (scope.skipped()) return 0;
  CefKeyEvent keyEvent = event ? CefKeyEvent(*event) : CefKeyEvent();
  return KeyboardBridge::Get(self)->OnKeyEvent(CefBrowserFromC(browser), keyEvent, os_event);
}
void FillKeyboard(cef_keyboard_handler_t* t) {
  t->on_pre_key_event = &OnPreKeyEvent;
  t->on_key_event = &OnKeyEvent;
}

// ---- CefFocusHandler ----

// Sends no messages to windows, so it needs no callback scope.
int CEF_CALLBACK OnSetFocus(cef_focus_handler_t* self, cef_browser_t* browser, cef_focus_source_t source) {
  return FocusBridge::Get(self)->OnSetFocus(CefBrowserFromC(browser), source);
}
void FillFocus(cef_focus_handler_t* t) { t->on_set_focus = &OnSetFocus; }

// ---- CefContextMenuHandler ----

void CEF_CALLBACK OnBeforeContextMenu(cef_context_menu_handler_t* self, cef_browser_t* browser,
                                      cef_frame_t* frame, cef_context_menu_params_t* params,
                                      cef_menu_model_t* model) {
  CallbackScope scope(browser, frame, params, model);
  if (scope.skipped()) return;
  ContextMenuBridge::Get(self)->OnBeforeContextMenu(CefBrowserFromC(browser),
                                                    CefFrameFromC(frame),
                                                    CefContextMenuParamsFromC(params),
                                                    CefMenuModelFromC(model));
}
void FillContextMenu(cef_context_menu_handler_t* t) {
  t->on_before_context_menu = &OnBeforeContextMenu;
}

// ---- CefClient ----

cef_context_menu_handler_t* CEF_CALLBACK GetContextMenuHandler(cef_client_t* self) {
  return ContextMenuBridge::Wrap(ClientBridge::Get(self)->GetContextMenuHandler(),
                                 &FillContextMenu);
}
cef_display_handler_t* CEF_CALLBACK GetDisplayHandler(cef_client_t* self) {
  return DisplayBridge::Wrap(ClientBridge::Get(self)->GetDisplayHandler(), &FillDisplay);
}
cef_focus_handler_t* CEF_CALLBACK GetFocusHandler(cef_client_t* self) {
  return FocusBridge::Wrap(ClientBridge::Get(self)->GetFocusHandler(), &FillFocus);
}
cef_keyboard_handler_t* CEF_CALLBACK GetKeyboardHandler(cef_client_t* self) {
  return KeyboardBridge::Wrap(ClientBridge::Get(self)->GetKeyboardHandler(), &FillKeyboard);
}
cef_life_span_handler_t* CEF_CALLBACK GetLifeSpanHandler(cef_client_t* self) {
  return LifeSpanBridge::Wrap(ClientBridge::Get(self)->GetLifeSpanHandler(), &FillLifeSpan);
}
cef_load_handler_t* CEF_CALLBACK GetLoadHandler(cef_client_t* self) {
  return LoadBridge::Wrap(ClientBridge::Get(self)->GetLoadHandler(), &FillLoad);
}
cef_request_handler_t* CEF_CALLBACK GetRequestHandler(cef_client_t* self) {
  return RequestBridge::Wrap(ClientBridge::Get(self)->GetRequestHandler(), &FillRequest);
}
int CEF_CALLBACK OnProcessMessageReceived(cef_client_t* self, cef_browser_t* browser,
                                          cef_process_id_t source, void* message) {
  // The message is a counted object too; it is not looked at, only released.
  if (message) {
    cef_base_t* base = static_cast<cef_base_t*>(message);
    base->release(base);
  }
  return ClientBridge::Get(self)->OnProcessMessageReceived(CefBrowserFromC(browser), source,
                                                           nullptr);
}

// JS-dialog and geolocation getters stay null: CEF's defaults.
void FillClient(cef_client_t* t) {
  t->get_context_menu_handler = &GetContextMenuHandler;
  t->get_display_handler = &GetDisplayHandler;
  t->get_focus_handler = &GetFocusHandler;
  t->get_keyboard_handler = &GetKeyboardHandler;
  t->get_life_span_handler = &GetLifeSpanHandler;
  t->get_load_handler = &GetLoadHandler;
  t->get_request_handler = &GetRequestHandler;
  t->on_process_message_received = &OnProcessMessageReceived;
}

}  // namespace

cef_client_t* CefClientToC(CefRefPtr<CefClient> client) {
  return ClientBridge::Wrap(client, &FillClient);
}

bool CefBrowserHost::CreateBrowser(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client,
                                   const CefString& url, const CefBrowserSettings& settings,
                                   void* request_context) {
  (void)request_context;  // Always the global context.
  {
    std::lock_guard<std::mutex> lock(g_hook_lock);
    if (g_create_hook) return g_create_hook(windowInfo, client, url);
  }
  const CefLibrary* lib = CefLoadLibrary();
  if (!lib || !CefContextIsInitialized() || !client) return false;
  cef_string_t urlString = url.AsBorrowed();
  return lib->create_browser(&windowInfo, CefClientToC(client), &urlString,
                             &settings, nullptr) != 0;
}

void CefSetCreateBrowserHook(CefCreateBrowserHook hook) {
  std::lock_guard<std::mutex> lock(g_hook_lock);
  g_create_hook = std::move(hook);
}
