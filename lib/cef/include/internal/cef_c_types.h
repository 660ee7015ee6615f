// Plain C types of libcef's C API (CEF 3.2623, Windows), as the DLL lays
// them out. Only what the wrapper passes across the boundary is declared.
#ifndef CEF_INCLUDE_INTERNAL_CEF_C_TYPES_H_
#define CEF_INCLUDE_INTERNAL_CEF_C_TYPES_H_

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

// Every function table entry of libcef is __stdcall on Windows; the exported
// functions themselves are __cdecl.
#define CEF_CALLBACK __stdcall

extern "C" {

typedef wchar_t char16;
typedef int64_t int64;
typedef uint32_t uint32;
typedef uint32_t cef_color_t;
typedef MSG* cef_event_handle_t;
typedef HWND cef_window_handle_t;
typedef void* cef_string_list_t;

// UTF-16 string; |dtor| frees |str| and is null when the string is borrowed.
typedef struct _cef_string_utf16_t {
  char16* str;
  size_t length;
  void (*dtor)(char16* str);
} cef_string_utf16_t;
typedef cef_string_utf16_t cef_string_t;
typedef cef_string_utf16_t* cef_string_userfree_t;

typedef struct _cef_main_args_t {
  HINSTANCE instance;
} cef_main_args_t;

typedef enum {
  LOGSEVERITY_DEFAULT,
  LOGSEVERITY_VERBOSE,
  LOGSEVERITY_INFO,
  LOGSEVERITY_WARNING,
  LOGSEVERITY_ERROR,
  LOGSEVERITY_DISABLE = 99
} cef_log_severity_t;

typedef enum {
  STATE_DEFAULT = 0,
  STATE_ENABLED,
  STATE_DISABLED,
} cef_state_t;

typedef struct _cef_settings_t {
  size_t size;
  int single_process;
  int no_sandbox;
  cef_string_t browser_subprocess_path;
  int multi_threaded_message_loop;
  int windowless_rendering_enabled;
  int command_line_args_disabled;
  cef_string_t cache_path;
  cef_string_t user_data_path;
  int persist_session_cookies;
  int persist_user_preferences;
  cef_string_t user_agent;
  cef_string_t product_version;
  cef_string_t locale;
  cef_string_t log_file;
  cef_log_severity_t log_severity;
  cef_string_t javascript_flags;
  cef_string_t resources_dir_path;
  cef_string_t locales_dir_path;
  int pack_loading_disabled;
  int remote_debugging_port;
  int uncaught_exception_stack_size;
  int context_safety_implementation;
  int ignore_certificate_errors;
  cef_color_t background_color;
  cef_string_t accept_language_list;
} cef_settings_t;

typedef struct _cef_browser_settings_t {
  size_t size;
  int windowless_frame_rate;
  cef_string_t standard_font_family;
  cef_string_t fixed_font_family;
  cef_string_t serif_font_family;
  cef_string_t sans_serif_font_family;
  cef_string_t cursive_font_family;
  cef_string_t fantasy_font_family;
  int default_font_size;
  int default_fixed_font_size;
  int minimum_font_size;
  int minimum_logical_font_size;
  cef_string_t default_encoding;
  cef_state_t remote_fonts;
  cef_state_t javascript;
  cef_state_t javascript_open_windows;
  cef_state_t javascript_close_windows;
  cef_state_t javascript_access_clipboard;
  cef_state_t javascript_dom_paste;
  cef_state_t caret_browsing;
  cef_state_t plugins;
  cef_state_t universal_access_from_file_urls;
  cef_state_t file_access_from_file_urls;
  cef_state_t web_security;
  cef_state_t image_loading;
  cef_state_t image_shrink_standalone_to_fit;
  cef_state_t text_area_resize;
  cef_state_t tab_to_links;
  cef_state_t local_storage;
  cef_state_t databases;
  cef_state_t application_cache;
  cef_state_t webgl;
  cef_color_t background_color;
  cef_string_t accept_language_list;
} cef_browser_settings_t;

typedef struct _cef_window_info_t {
  DWORD ex_style;
  cef_string_t window_name;
  DWORD style;
  int x;
  int y;
  int width;
  int height;
  cef_window_handle_t parent_window;
  HMENU menu;
  int windowless_rendering_enabled;
  int transparent_painting_enabled;
  cef_window_handle_t window;
} cef_window_info_t;

typedef enum {
  KEYEVENT_RAWKEYDOWN = 0,
  KEYEVENT_KEYDOWN,
  KEYEVENT_KEYUP,
  KEYEVENT_CHAR
} cef_key_event_type_t;

typedef struct _cef_key_event_t {
  cef_key_event_type_t type;
  uint32 modifiers;
  int windows_key_code;
  int native_key_code;
  int is_system_key;
  char16 character;
  char16 unmodified_character;
  int focus_on_editable_field;
} cef_key_event_t;

typedef struct _cef_popup_features_t {
  int x;
  int xSet;
  int y;
  int ySet;
  int width;
  int widthSet;
  int height;
  int heightSet;
  int menuBarVisible;
  int statusBarVisible;
  int toolBarVisible;
  int locationBarVisible;
  int scrollbarsVisible;
  int resizable;
  int fullscreen;
  int dialog;
  cef_string_list_t additionalFeatures;
} cef_popup_features_t;

typedef enum {
  WOD_UNKNOWN,
  WOD_SUPPRESS_OPEN,
  WOD_CURRENT_TAB,
  WOD_SINGLETON_TAB,
  WOD_NEW_FOREGROUND_TAB,
  WOD_NEW_BACKGROUND_TAB,
  WOD_NEW_POPUP,
  WOD_NEW_WINDOW,
  WOD_SAVE_TO_DISK,
  WOD_OFF_THE_RECORD,
  WOD_IGNORE_ACTION
} cef_window_open_disposition_t;

typedef enum {
  ERR_NONE = 0,
  ERR_FAILED = -2,
  ERR_ABORTED = -3,
  ERR_TIMED_OUT = -7,
  ERR_CONNECTION_REFUSED = -102,
  ERR_NAME_NOT_RESOLVED = -105,
} cef_errorcode_t;

// What asks for a browser to take the keyboard focus.
typedef enum {
  FOCUS_SOURCE_NAVIGATION = 0,
  FOCUS_SOURCE_SYSTEM,
} cef_focus_source_t;

// CEF's named threads in the browser process, in the order of the C API.
typedef enum {
  TID_UI,
  TID_DB,
  TID_FILE,
  TID_FILE_USER_BLOCKING,
  TID_PROCESS_LAUNCHER,
  TID_CACHE,
  TID_IO,
  TID_RENDERER,
} cef_thread_id_t;

typedef enum {
  PID_BROWSER,
  PID_RENDERER,
} cef_process_id_t;

// How a renderer process ended unexpectedly.
typedef enum {
  TS_ABNORMAL_TERMINATION,  // a non-zero exit code
  TS_PROCESS_WAS_KILLED,    // killed from outside
  TS_PROCESS_CRASHED,       // an unhandled fault
} cef_termination_status_t;

}  // extern "C"

#endif  // CEF_INCLUDE_INTERNAL_CEF_C_TYPES_H_
