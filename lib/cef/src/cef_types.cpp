#include "include/internal/cef_types_wrappers.h"

CefSettings::CefSettings() {
  std::memset(static_cast<cef_settings_t*>(this), 0, sizeof(cef_settings_t));
  size = sizeof(cef_settings_t);
}

CefSettings::~CefSettings() {
  cef_string_t* strings[] = {&browser_subprocess_path, &cache_path, &user_data_path,
                             &user_agent, &product_version, &locale, &log_file,
                             &javascript_flags, &resources_dir_path, &locales_dir_path,
                             &accept_language_list};
  for (cef_string_t* s : strings) CefStringClear(s);
}

CefBrowserSettings::CefBrowserSettings() {
  std::memset(static_cast<cef_browser_settings_t*>(this), 0, sizeof(cef_browser_settings_t));
  size = sizeof(cef_browser_settings_t);
}

CefBrowserSettings::~CefBrowserSettings() {
  cef_string_t* strings[] = {&standard_font_family, &fixed_font_family, &serif_font_family,
                             &sans_serif_font_family, &cursive_font_family,
                             &fantasy_font_family, &default_encoding, &accept_language_list};
  for (cef_string_t* s : strings) CefStringClear(s);
}

CefWindowInfo::CefWindowInfo() {
  std::memset(static_cast<cef_window_info_t*>(this), 0, sizeof(cef_window_info_t));
}

CefWindowInfo::~CefWindowInfo() { CefStringClear(&window_name); }

void CefWindowInfo::SetAsChild(HWND parent, RECT rect) {
  style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VISIBLE;
  parent_window = parent;
  x = rect.left;
  y = rect.top;
  width = rect.right - rect.left;
  height = rect.bottom - rect.top;
}

void CefWindowInfo::SetAsPopup(HWND parent, const CefString& name) {
  style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VISIBLE;
  parent_window = parent;
  x = y = width = height = CW_USEDEFAULT;
  CefStringWrite(&window_name, name.ToWString());
}
