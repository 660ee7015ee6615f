#include "include/internal/cef_string.h"

#include <cstring>

namespace {

void FreeOwnedText(char16* str) { delete[] str; }

std::wstring Utf8ToWide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
  return wide;
}

}  // namespace

void CefStringClear(cef_string_t* target) {
  if (target->dtor && target->str) target->dtor(target->str);
  target->str = nullptr;
  target->length = 0;
  target->dtor = nullptr;
}

void CefStringWrite(cef_string_t* target, const std::wstring& text) {
  CefStringClear(target);
  if (text.empty()) return;
  char16* copy = new char16[text.size() + 1];
  std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(char16));
  target->str = copy;
  target->length = text.size();
  target->dtor = FreeOwnedText;
}

CefString::CefString(const cef_string_t* source) {
  if (source && source->str) value_.assign(source->str, source->length);
}

CefString::CefString(cef_string_t* target) : target_(target) {
  if (target && target->str) value_.assign(target->str, target->length);
}

CefString& CefString::Assign(const std::wstring& text) {
  value_ = text;
  if (target_) CefStringWrite(target_, value_);
  return *this;
}

CefString& CefString::operator=(const std::string& utf8) { return Assign(Utf8ToWide(utf8)); }

std::string CefString::ToString() const {
  if (value_.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, value_.data(), static_cast<int>(value_.size()), nullptr,
                              0, nullptr, nullptr);
  std::string utf8(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, value_.data(), static_cast<int>(value_.size()), &utf8[0], n,
                      nullptr, nullptr);
  return utf8;
}

cef_string_t CefString::AsBorrowed() const {
  cef_string_t s;
  s.str = const_cast<char16*>(value_.c_str());
  s.length = value_.size();
  s.dtor = nullptr;
  return s;
}
