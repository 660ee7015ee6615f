// C++ forms of libcef's plain structures. Each derives from its C structure,
// so the wrapper hands them to libcef as they are; string fields are owned
// and freed here.
#ifndef CEF_INCLUDE_INTERNAL_CEF_TYPES_WRAPPERS_H_
#define CEF_INCLUDE_INTERNAL_CEF_TYPES_WRAPPERS_H_

#include <cstring>

#include "include/internal/cef_c_types.h"
#include "include/internal/cef_string.h"

#if defined(_WIN32) && !defined(_WIN64)
// Sizes of the 32-bit Windows build of libcef 3.2623.
static_assert(sizeof(cef_string_t) == 12, "cef_string_t layout");
static_assert(sizeof(cef_settings_t) == 192, "cef_settings_t layout");
static_assert(offsetof(cef_settings_t, multi_threaded_message_loop) == 24, "cef_settings_t layout");
static_assert(offsetof(cef_settings_t, cache_path) == 36, "cef_settings_t layout");
static_assert(offsetof(cef_settings_t, locale) == 92, "cef_settings_t layout");
static_assert(sizeof(cef_browser_settings_t) == 200, "cef_browser_settings_t layout");
static_assert(sizeof(cef_window_info_t) == 56, "cef_window_info_t layout");
static_assert(sizeof(cef_key_event_t) == 28, "cef_key_event_t layout");
static_assert(sizeof(cef_popup_features_t) == 68, "cef_popup_features_t layout");
static_assert(sizeof(cef_main_args_t) == 4, "cef_main_args_t layout");
#endif

class CefMainArgs : public cef_main_args_t {
 public:
  CefMainArgs() { instance = nullptr; }
  explicit CefMainArgs(HINSTANCE hInstance) { instance = hInstance; }
};

class CefSettings : public cef_settings_t {
 public:
  CefSettings();
  ~CefSettings();
  CefSettings(const CefSettings&) = delete;
  CefSettings& operator=(const CefSettings&) = delete;
};

class CefBrowserSettings : public cef_browser_settings_t {
 public:
  CefBrowserSettings();
  ~CefBrowserSettings();
  CefBrowserSettings(const CefBrowserSettings&) = delete;
  CefBrowserSettings& operator=(const CefBrowserSettings&) = delete;
};

class CefWindowInfo : public cef_window_info_t {
 public:
  CefWindowInfo();
  ~CefWindowInfo();
  CefWindowInfo(const CefWindowInfo&) = delete;
  CefWindowInfo& operator=(const CefWindowInfo&) = delete;

  // A visible child window at |rect| of |parent|.
  void SetAsChild(HWND parent, RECT rect);
  // A top-level window with the default size.
  void SetAsPopup(HWND parent, const CefString& window_name);
};

class CefKeyEvent : public cef_key_event_t {
 public:
  CefKeyEvent() { std::memset(static_cast<cef_key_event_t*>(this), 0, sizeof(cef_key_event_t)); }
  CefKeyEvent(const cef_key_event_t& from) : cef_key_event_t(from) {}
};

// The additional-features list stays libcef's; it is neither read nor freed.
class CefPopupFeatures : public cef_popup_features_t {
 public:
  CefPopupFeatures() { std::memset(static_cast<cef_popup_features_t*>(this), 0, sizeof(cef_popup_features_t)); }
  CefPopupFeatures(const cef_popup_features_t& from) : cef_popup_features_t(from) {}
};

typedef cef_event_handle_t CefEventHandle;
typedef cef_window_handle_t CefWindowHandle;

#endif  // CEF_INCLUDE_INTERNAL_CEF_TYPES_WRAPPERS_H_
