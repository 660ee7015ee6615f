// Function tables of libcef's C API (CEF 3.2623). Tables that we fill for CEF
// are declared whole; tables that CEF fills for us are declared up to the
// last entry the wrapper calls. Entries the wrapper never calls keep their
// slot as |cef_unused_fn|, so every offset matches the DLL.
#ifndef CEF_INCLUDE_INTERNAL_CEF_C_INTERFACES_H_
#define CEF_INCLUDE_INTERNAL_CEF_C_INTERFACES_H_

#include "include/internal/cef_c_types.h"

extern "C" {

typedef void (CEF_CALLBACK* cef_unused_fn)(void);

typedef struct _cef_base_t {
  size_t size;
  void (CEF_CALLBACK* add_ref)(struct _cef_base_t* self);
  int (CEF_CALLBACK* release)(struct _cef_base_t* self);
  int (CEF_CALLBACK* has_one_ref)(struct _cef_base_t* self);
} cef_base_t;

struct _cef_browser_t;
struct _cef_frame_t;
struct _cef_client_t;

// ---- Tables that CEF fills (we call them) ----

typedef struct _cef_command_line_t {
  cef_base_t base;
  cef_unused_fn is_valid;
  cef_unused_fn is_read_only;
  cef_unused_fn copy;
  cef_unused_fn init_from_argv;
  cef_unused_fn init_from_string;
  cef_unused_fn reset;
  cef_unused_fn get_argv;
  cef_string_userfree_t (CEF_CALLBACK* get_command_line_string)(
      struct _cef_command_line_t* self);
  cef_unused_fn get_program;
  cef_unused_fn set_program;
  cef_unused_fn has_switches;
  int (CEF_CALLBACK* has_switch)(struct _cef_command_line_t* self,
                                 const cef_string_t* name);
  cef_unused_fn get_switch_value;
  cef_unused_fn get_switches;
  void (CEF_CALLBACK* append_switch)(struct _cef_command_line_t* self,
                                     const cef_string_t* name);
  void (CEF_CALLBACK* append_switch_with_value)(struct _cef_command_line_t* self,
                                                const cef_string_t* name, const cef_string_t* value);
} cef_command_line_t;

typedef struct _cef_browser_host_t {
  cef_base_t base;
  cef_unused_fn get_browser;
  void (CEF_CALLBACK* close_browser)(struct _cef_browser_host_t* self,
                                     int force_close);
  void (CEF_CALLBACK* set_focus)(struct _cef_browser_host_t* self, int focus);
  cef_unused_fn set_window_visibility;
  cef_window_handle_t (CEF_CALLBACK* get_window_handle)(
      struct _cef_browser_host_t* self);
} cef_browser_host_t;

typedef struct _cef_browser_t {
  cef_base_t base;
  cef_browser_host_t* (CEF_CALLBACK* get_host)(struct _cef_browser_t* self);
  cef_unused_fn can_go_back;
  cef_unused_fn go_back;
  cef_unused_fn can_go_forward;
  cef_unused_fn go_forward;
  cef_unused_fn is_loading;
  void (CEF_CALLBACK* reload)(struct _cef_browser_t* self);
  cef_unused_fn reload_ignore_cache;
  cef_unused_fn stop_load;
  int (CEF_CALLBACK* get_identifier)(struct _cef_browser_t* self);
  int (CEF_CALLBACK* is_same)(struct _cef_browser_t* self,
                              struct _cef_browser_t* that);
  cef_unused_fn is_popup;
  cef_unused_fn has_document;
  struct _cef_frame_t* (CEF_CALLBACK* get_main_frame)(
      struct _cef_browser_t* self);
} cef_browser_t;

typedef struct _cef_frame_t {
  cef_base_t base;
  cef_unused_fn is_valid;
  cef_unused_fn undo;
  cef_unused_fn redo;
  cef_unused_fn cut;
  cef_unused_fn copy;
  cef_unused_fn paste;
  cef_unused_fn del;
  cef_unused_fn select_all;
  cef_unused_fn view_source;
  cef_unused_fn get_source;
  cef_unused_fn get_text;
  cef_unused_fn load_request;
  void (CEF_CALLBACK* load_url)(struct _cef_frame_t* self,
                                const cef_string_t* url);
  void (CEF_CALLBACK* load_string)(struct _cef_frame_t* self,
                                   const cef_string_t* string_val,
                                   const cef_string_t* url);
  void (CEF_CALLBACK* execute_java_script)(struct _cef_frame_t* self,
                                           const cef_string_t* code,
                                           const cef_string_t* script_url,
                                           int start_line);
  int (CEF_CALLBACK* is_main)(struct _cef_frame_t* self);
  cef_unused_fn is_focused;
  cef_unused_fn get_name;
  cef_unused_fn get_identifier;
  cef_unused_fn get_parent;
  cef_string_userfree_t (CEF_CALLBACK* get_url)(struct _cef_frame_t* self);
} cef_frame_t;

typedef struct _cef_request_t {
  cef_base_t base;
  cef_unused_fn is_read_only;
  cef_string_userfree_t (CEF_CALLBACK* get_url)(struct _cef_request_t* self);
  cef_unused_fn set_url;
  cef_unused_fn get_method;
  cef_unused_fn set_method;
  cef_unused_fn set_referrer;
  cef_unused_fn get_referrer_url;
  cef_unused_fn get_referrer_policy;
  cef_unused_fn get_post_data;
  cef_unused_fn set_post_data;
  cef_unused_fn get_header_map;
  cef_unused_fn set_header_map;
  cef_unused_fn set;
  cef_unused_fn get_flags;
  cef_unused_fn set_flags;
  cef_unused_fn get_first_party_for_cookies;
  cef_unused_fn set_first_party_for_cookies;
  cef_resource_type_t (CEF_CALLBACK* get_resource_type)(struct _cef_request_t* self);
  cef_transition_type_t (CEF_CALLBACK* get_transition_type)(struct _cef_request_t* self);
} cef_request_t;

// Lets an asynchronous on_before_resource_load finish later; the client
// answers at once and only passes it through.
typedef struct _cef_request_callback_t {
  cef_base_t base;
} cef_request_callback_t;

typedef struct _cef_menu_model_t {
  cef_base_t base;
  int (CEF_CALLBACK* clear)(struct _cef_menu_model_t* self);
  int (CEF_CALLBACK* get_count)(struct _cef_menu_model_t* self);
} cef_menu_model_t;

// A frame's JavaScript context in the renderer. eval hands back the result
// and any exception, each with a reference for the caller.
typedef struct _cef_v8context_t {
  cef_base_t base;
  cef_unused_fn get_task_runner;
  cef_unused_fn is_valid;
  cef_unused_fn get_browser;
  cef_unused_fn get_frame;
  cef_unused_fn get_global;
  cef_unused_fn enter;
  cef_unused_fn exit;
  cef_unused_fn is_same;
  int (CEF_CALLBACK* eval)(struct _cef_v8context_t* self, const cef_string_t* code,
                           cef_base_t** retval, cef_base_t** exception);
} cef_v8context_t;

// Only passed through; the client never reads the parameters.
typedef struct _cef_context_menu_params_t {
  cef_base_t base;
} cef_context_menu_params_t;

struct _cef_completion_callback_t;

// The profile's cookie store; only flush_store is called.
typedef struct _cef_cookie_manager_t {
  cef_base_t base;
  cef_unused_fn set_supported_schemes;
  cef_unused_fn visit_all_cookies;
  cef_unused_fn visit_url_cookies;
  cef_unused_fn set_cookie;
  cef_unused_fn delete_cookies;
  cef_unused_fn set_storage_path;
  int (CEF_CALLBACK* flush_store)(struct _cef_cookie_manager_t* self,
                                  struct _cef_completion_callback_t* callback);
} cef_cookie_manager_t;

// ---- Tables that we fill (CEF calls them) ----

typedef struct _cef_completion_callback_t {
  cef_base_t base;
  void (CEF_CALLBACK* on_complete)(struct _cef_completion_callback_t* self);
} cef_completion_callback_t;

typedef struct _cef_browser_process_handler_t {
  cef_base_t base;
  void (CEF_CALLBACK* on_context_initialized)(
      struct _cef_browser_process_handler_t* self);
  void (CEF_CALLBACK* on_before_child_process_launch)(
      struct _cef_browser_process_handler_t* self,
      cef_command_line_t* command_line);
  void (CEF_CALLBACK* on_render_process_thread_created)(
      struct _cef_browser_process_handler_t* self, void* extra_info);
  void* (CEF_CALLBACK* get_print_handler)(
      struct _cef_browser_process_handler_t* self);
} cef_browser_process_handler_t;

// In the renderer: only on_before_navigation and on_context_created are
// set; CEF's defaults for the others.
typedef struct _cef_render_process_handler_t {
  cef_base_t base;
  cef_unused_fn on_render_thread_created;
  cef_unused_fn on_web_kit_initialized;
  cef_unused_fn on_browser_created;
  cef_unused_fn on_browser_destroyed;
  cef_unused_fn get_load_handler;
  int (CEF_CALLBACK* on_before_navigation)(
      struct _cef_render_process_handler_t* self, cef_browser_t* browser,
      cef_frame_t* frame, cef_request_t* request,
      cef_navigation_type_t navigation_type, int is_redirect);
  void (CEF_CALLBACK* on_context_created)(
      struct _cef_render_process_handler_t* self, cef_browser_t* browser,
      cef_frame_t* frame, cef_v8context_t* context);
  cef_unused_fn on_context_released;
  cef_unused_fn on_uncaught_exception;
  cef_unused_fn on_focused_node_changed;
  cef_unused_fn on_process_message_received;
} cef_render_process_handler_t;

typedef struct _cef_app_t {
  cef_base_t base;
  void (CEF_CALLBACK* on_before_command_line_processing)(
      struct _cef_app_t* self, const cef_string_t* process_type,
      cef_command_line_t* command_line);
  void (CEF_CALLBACK* on_register_custom_schemes)(struct _cef_app_t* self,
                                                  void* registrar);
  void* (CEF_CALLBACK* get_resource_bundle_handler)(struct _cef_app_t* self);
  cef_browser_process_handler_t* (CEF_CALLBACK* get_browser_process_handler)(
      struct _cef_app_t* self);
  cef_render_process_handler_t* (CEF_CALLBACK* get_render_process_handler)(
      struct _cef_app_t* self);
} cef_app_t;

typedef struct _cef_display_handler_t {
  cef_base_t base;
  void (CEF_CALLBACK* on_address_change)(struct _cef_display_handler_t* self,
                                         cef_browser_t* browser,
                                         cef_frame_t* frame,
                                         const cef_string_t* url);
  void (CEF_CALLBACK* on_title_change)(struct _cef_display_handler_t* self,
                                       cef_browser_t* browser,
                                       const cef_string_t* title);
  void (CEF_CALLBACK* on_favicon_urlchange)(struct _cef_display_handler_t* self,
                                            cef_browser_t* browser,
                                            cef_string_list_t icon_urls);
  void (CEF_CALLBACK* on_fullscreen_mode_change)(
      struct _cef_display_handler_t* self, cef_browser_t* browser,
      int fullscreen);
  int (CEF_CALLBACK* on_tooltip)(struct _cef_display_handler_t* self,
                                 cef_browser_t* browser, cef_string_t* text);
  void (CEF_CALLBACK* on_status_message)(struct _cef_display_handler_t* self,
                                         cef_browser_t* browser,
                                         const cef_string_t* value);
  int (CEF_CALLBACK* on_console_message)(struct _cef_display_handler_t* self,
                                         cef_browser_t* browser,
                                         const cef_string_t* message,
                                         const cef_string_t* source, int line);
} cef_display_handler_t;

typedef struct _cef_life_span_handler_t {
  cef_base_t base;
  int (CEF_CALLBACK* on_before_popup)(
      struct _cef_life_span_handler_t* self, cef_browser_t* browser,
      cef_frame_t* frame, const cef_string_t* target_url,
      const cef_string_t* target_frame_name,
      cef_window_open_disposition_t target_disposition, int user_gesture,
      const cef_popup_features_t* popupFeatures, cef_window_info_t* windowInfo,
      struct _cef_client_t** client, cef_browser_settings_t* settings,
      int* no_javascript_access);
  void (CEF_CALLBACK* on_after_created)(struct _cef_life_span_handler_t* self,
                                        cef_browser_t* browser);
  int (CEF_CALLBACK* run_modal)(struct _cef_life_span_handler_t* self,
                                cef_browser_t* browser);
  int (CEF_CALLBACK* do_close)(struct _cef_life_span_handler_t* self,
                               cef_browser_t* browser);
  void (CEF_CALLBACK* on_before_close)(struct _cef_life_span_handler_t* self,
                                       cef_browser_t* browser);
} cef_life_span_handler_t;

typedef struct _cef_load_handler_t {
  cef_base_t base;
  void (CEF_CALLBACK* on_loading_state_change)(
      struct _cef_load_handler_t* self, cef_browser_t* browser, int isLoading,
      int canGoBack, int canGoForward);
  void (CEF_CALLBACK* on_load_start)(struct _cef_load_handler_t* self,
                                     cef_browser_t* browser,
                                     cef_frame_t* frame);
  void (CEF_CALLBACK* on_load_end)(struct _cef_load_handler_t* self,
                                   cef_browser_t* browser, cef_frame_t* frame,
                                   int httpStatusCode);
  void (CEF_CALLBACK* on_load_error)(struct _cef_load_handler_t* self,
                                     cef_browser_t* browser,
                                     cef_frame_t* frame,
                                     cef_errorcode_t errorCode,
                                     const cef_string_t* errorText,
                                     const cef_string_t* failedUrl);
} cef_load_handler_t;

// Entries left null get CEF's default.
typedef struct _cef_request_handler_t {
  cef_base_t base;
  int (CEF_CALLBACK* on_before_browse)(struct _cef_request_handler_t* self,
                                       cef_browser_t* browser,
                                       cef_frame_t* frame,
                                       cef_request_t* request,
                                       int is_redirect);
  cef_unused_fn on_open_urlfrom_tab;
  cef_return_value_t (CEF_CALLBACK* on_before_resource_load)(
      struct _cef_request_handler_t* self, cef_browser_t* browser,
      cef_frame_t* frame, cef_request_t* request,
      cef_request_callback_t* callback);
  cef_unused_fn get_resource_handler;
  cef_unused_fn on_resource_redirect;
  cef_unused_fn on_resource_response;
  cef_unused_fn get_resource_response_filter;
  cef_unused_fn on_resource_load_complete;
  cef_unused_fn get_auth_credentials;
  cef_unused_fn on_quota_request;
  cef_unused_fn on_protocol_execution;
  cef_unused_fn on_certificate_error;
  cef_unused_fn on_plugin_crashed;
  cef_unused_fn on_render_view_ready;
  void (CEF_CALLBACK* on_render_process_terminated)(
      struct _cef_request_handler_t* self, cef_browser_t* browser,
      cef_termination_status_t status);
} cef_request_handler_t;

typedef struct _cef_keyboard_handler_t {
  cef_base_t base;
  int (CEF_CALLBACK* on_pre_key_event)(struct _cef_keyboard_handler_t* self,
                                       cef_browser_t* browser,
                                       const cef_key_event_t* event,
                                       cef_event_handle_t os_event,
                                       int* is_keyboard_shortcut);
  int (CEF_CALLBACK* on_key_event)(struct _cef_keyboard_handler_t* self,
                                   cef_browser_t* browser,
                                   const cef_key_event_t* event,
                                   cef_event_handle_t os_event);
} cef_keyboard_handler_t;

// Left null apart from on_before_context_menu: CEF runs its default menu.
typedef struct _cef_context_menu_handler_t {
  cef_base_t base;
  void (CEF_CALLBACK* on_before_context_menu)(
      struct _cef_context_menu_handler_t* self, cef_browser_t* browser,
      cef_frame_t* frame, cef_context_menu_params_t* params,
      cef_menu_model_t* model);
  cef_unused_fn run_context_menu;
  cef_unused_fn on_context_menu_command;
  cef_unused_fn on_context_menu_dismissed;
} cef_context_menu_handler_t;

// Only on_set_focus is set: CEF's defaults for the others.
typedef struct _cef_focus_handler_t {
  cef_base_t base;
  cef_unused_fn on_take_focus;
  int (CEF_CALLBACK* on_set_focus)(struct _cef_focus_handler_t* self, cef_browser_t* browser,
                                   cef_focus_source_t source);
  cef_unused_fn on_got_focus;
} cef_focus_handler_t;

typedef struct _cef_client_t {
  cef_base_t base;
  cef_context_menu_handler_t* (CEF_CALLBACK* get_context_menu_handler)(
      struct _cef_client_t* self);
  void* (CEF_CALLBACK* get_dialog_handler)(struct _cef_client_t* self);
  cef_display_handler_t* (CEF_CALLBACK* get_display_handler)(
      struct _cef_client_t* self);
  void* (CEF_CALLBACK* get_download_handler)(struct _cef_client_t* self);
  void* (CEF_CALLBACK* get_drag_handler)(struct _cef_client_t* self);
  void* (CEF_CALLBACK* get_find_handler)(struct _cef_client_t* self);
  cef_focus_handler_t* (CEF_CALLBACK* get_focus_handler)(struct _cef_client_t* self);
  void* (CEF_CALLBACK* get_geolocation_handler)(struct _cef_client_t* self);
  void* (CEF_CALLBACK* get_jsdialog_handler)(struct _cef_client_t* self);
  cef_keyboard_handler_t* (CEF_CALLBACK* get_keyboard_handler)(
      struct _cef_client_t* self);
  cef_life_span_handler_t* (CEF_CALLBACK* get_life_span_handler)(
      struct _cef_client_t* self);
  cef_load_handler_t* (CEF_CALLBACK* get_load_handler)(
      struct _cef_client_t* self);
  void* (CEF_CALLBACK* get_render_handler)(struct _cef_client_t* self);
  cef_request_handler_t* (CEF_CALLBACK* get_request_handler)(
      struct _cef_client_t* self);
  int (CEF_CALLBACK* on_process_message_received)(struct _cef_client_t* self,
                                                  cef_browser_t* browser,
                                                  cef_process_id_t source,
                                                  void* message);
} cef_client_t;

}  // extern "C"

#if defined(_WIN32) && !defined(_WIN64)
// Tables we fill are read by libcef up to |base.size|: their sizes pin the
// number of slots of the 3.2623 headers (16-byte base, 4-byte entries).
static_assert(sizeof(cef_base_t) == 16, "cef_base_t layout");
static_assert(sizeof(cef_app_t) == 16 + 5 * 4, "cef_app_t slots");
static_assert(sizeof(cef_browser_process_handler_t) == 16 + 4 * 4, "browser process handler slots");
static_assert(sizeof(cef_client_t) == 16 + 15 * 4, "cef_client_t slots");
static_assert(sizeof(cef_display_handler_t) == 16 + 7 * 4, "display handler slots");
static_assert(sizeof(cef_life_span_handler_t) == 16 + 5 * 4, "life span handler slots");
static_assert(sizeof(cef_load_handler_t) == 16 + 4 * 4, "load handler slots");
static_assert(sizeof(cef_request_handler_t) == 16 + 15 * 4, "request handler slots");
static_assert(sizeof(cef_keyboard_handler_t) == 16 + 2 * 4, "keyboard handler slots");
static_assert(sizeof(cef_context_menu_handler_t) == 16 + 4 * 4, "context menu handler slots");
static_assert(sizeof(cef_focus_handler_t) == 16 + 3 * 4, "focus handler slots");
static_assert(sizeof(cef_render_process_handler_t) == 16 + 11 * 4, "render process handler slots");
static_assert(sizeof(cef_completion_callback_t) == 16 + 1 * 4, "completion callback slots");
// Entries we call in libcef's tables sit at these slots.
static_assert(offsetof(cef_browser_host_t, get_window_handle) == 16 + 4 * 4, "browser host slot");
static_assert(offsetof(cef_focus_handler_t, on_set_focus) == 16 + 1 * 4, "focus handler slot");
static_assert(offsetof(cef_client_t, get_focus_handler) == 16 + 6 * 4, "client slot");
static_assert(offsetof(cef_browser_t, get_main_frame) == 16 + 13 * 4, "browser slot");
static_assert(offsetof(cef_frame_t, get_url) == 16 + 20 * 4, "frame slot");
static_assert(offsetof(cef_command_line_t, append_switch) == 16 + 14 * 4, "command line slot");
static_assert(offsetof(cef_command_line_t, append_switch_with_value) == 16 + 15 * 4, "command line slot");
static_assert(offsetof(cef_cookie_manager_t, flush_store) == 16 + 6 * 4, "cookie manager slot");
// Entries libcef calls in our tables sit at these slots.
static_assert(offsetof(cef_request_handler_t, on_render_process_terminated) == 16 + 14 * 4,
              "request handler slot");
static_assert(offsetof(cef_request_t, get_transition_type) == 16 + 18 * 4, "request slot");
static_assert(offsetof(cef_request_handler_t, on_before_resource_load) == 16 + 2 * 4, "request handler slot");
static_assert(offsetof(cef_v8context_t, eval) == 16 + 8 * 4, "v8 context slot");
static_assert(sizeof(cef_resource_type_t) == 4 && sizeof(cef_transition_type_t) == 4 &&
              sizeof(cef_return_value_t) == 4 && sizeof(cef_navigation_type_t) == 4, "enum sizes");
#endif

#endif  // CEF_INCLUDE_INTERNAL_CEF_C_INTERFACES_H_
