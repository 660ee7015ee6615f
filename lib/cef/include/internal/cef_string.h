// CefString: UTF-16 text as libcef exchanges it. It either owns its text or
// is attached to a cef_string_t field of a settings structure, in which case
// every assignment writes a fresh copy into that field.
#ifndef CEF_INCLUDE_INTERNAL_CEF_STRING_H_
#define CEF_INCLUDE_INTERNAL_CEF_STRING_H_

#include <string>

#include "include/internal/cef_c_types.h"

class CefString {
 public:
  CefString() = default;
  CefString(const wchar_t* text) : value_(text ? text : L"") {}
  CefString(const std::wstring& text) : value_(text) {}
  CefString(const char* utf8) { FromString(utf8 ? utf8 : ""); }
  CefString(const std::string& utf8) { FromString(utf8); }
  // Reads |source|; a null source is the empty string.
  CefString(const cef_string_t* source);
  // Attaches to |target|: assignments replace the text held there.
  explicit CefString(cef_string_t* target);
  CefString(const CefString& other) : value_(other.value_) {}
  CefString& operator=(const CefString& other) { return Assign(other.value_); }
  CefString& operator=(const std::wstring& text) { return Assign(text); }
  CefString& operator=(const wchar_t* text) { return Assign(text ? text : L""); }
  CefString& operator=(const std::string& utf8);
  CefString& operator=(const char* utf8) { return *this = std::string(utf8 ? utf8 : ""); }

  // Like libcef's own strings: null when empty.
  const wchar_t* c_str() const { return value_.empty() ? nullptr : value_.c_str(); }
  size_t length() const { return value_.length(); }
  bool empty() const { return value_.empty(); }
  std::wstring ToWString() const { return value_; }
  std::string ToString() const;  // UTF-8
  operator std::wstring() const { return value_; }

  void FromWString(const std::wstring& text) { Assign(text); }
  void FromString(const std::string& utf8) { *this = utf8; }

  // A borrowed view for passing to libcef; valid while this object lives.
  cef_string_t AsBorrowed() const;

  bool operator==(const CefString& other) const { return value_ == other.value_; }
  bool operator!=(const CefString& other) const { return value_ != other.value_; }

 private:
  CefString& Assign(const std::wstring& text);

  std::wstring value_;
  cef_string_t* target_ = nullptr;
};

// Writes a heap copy of |text| into |target| (freeing what it held) and
// releases it again. The copy carries its own destructor, as libcef expects.
void CefStringWrite(cef_string_t* target, const std::wstring& text);
void CefStringClear(cef_string_t* target);

#endif  // CEF_INCLUDE_INTERNAL_CEF_STRING_H_
