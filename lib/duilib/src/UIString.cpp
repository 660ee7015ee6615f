#include "UIString.h"

namespace DuiLib {

CDuiString::CDuiString(LPCTSTR text, int length) { Assign(text, length); }

void CDuiString::Assign(LPCTSTR text, int length) {
  if (!text) { m_str.clear(); return; }
  if (length < 0) m_str.assign(text);
  else m_str.assign(text, static_cast<size_t>(length));
}

int CDuiString::Compare(LPCTSTR text) const { return lstrcmpW(m_str.c_str(), text ? text : L""); }

int CDuiString::CompareNoCase(LPCTSTR text) const { return lstrcmpiW(m_str.c_str(), text ? text : L""); }

int CDuiString::Find(TCHAR ch, int start) const {
  if (start < 0 || start > GetLength()) return -1;
  size_t pos = m_str.find(ch, static_cast<size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CDuiString::Find(LPCTSTR text, int start) const {
  if (!text || start < 0 || start > GetLength()) return -1;
  size_t pos = m_str.find(text, static_cast<size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

CDuiString CDuiString::Left(int length) const { return Mid(0, length); }

CDuiString CDuiString::Mid(int start, int length) const {
  if (start < 0) start = 0;
  if (start >= GetLength()) return CDuiString();
  size_t count = length < 0 ? std::wstring::npos : static_cast<size_t>(length);
  return CDuiString(m_str.substr(static_cast<size_t>(start), count).c_str());
}

CDuiString CDuiString::Right(int length) const {
  if (length >= GetLength()) return *this;
  if (length <= 0) return CDuiString();
  return Mid(GetLength() - length);
}

}  // namespace DuiLib
