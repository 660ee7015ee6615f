// CDuiString: the toolkit's wide string.
#pragma once

#include <windows.h>
#include <string>

namespace DuiLib {

class CDuiString {
public:
  CDuiString() = default;
  CDuiString(LPCTSTR text) : m_str(text ? text : L"") {}
  CDuiString(LPCTSTR text, int length);
  CDuiString(TCHAR ch) : m_str(1, ch) {}

  bool IsEmpty() const { return m_str.empty(); }
  int GetLength() const { return static_cast<int>(m_str.size()); }
  void Empty() { m_str.clear(); }
  LPCTSTR GetData() const { return m_str.c_str(); }
  operator LPCTSTR() const { return m_str.c_str(); }
  TCHAR GetAt(int index) const { return m_str[static_cast<size_t>(index)]; }

  void Assign(LPCTSTR text, int length = -1);
  void Append(LPCTSTR text) { m_str += text ? text : L""; }
  CDuiString& operator=(LPCTSTR text) { Assign(text); return *this; }
  CDuiString& operator+=(LPCTSTR text) { Append(text); return *this; }
  CDuiString& operator+=(TCHAR ch) { m_str += ch; return *this; }
  CDuiString operator+(LPCTSTR text) const { CDuiString s(*this); s.Append(text); return s; }

  int Compare(LPCTSTR text) const;
  int CompareNoCase(LPCTSTR text) const;
  bool operator==(LPCTSTR text) const { return Compare(text) == 0; }
  bool operator!=(LPCTSTR text) const { return Compare(text) != 0; }

  int Find(TCHAR ch, int start = 0) const;
  int Find(LPCTSTR text, int start = 0) const;
  CDuiString Left(int length) const;
  CDuiString Mid(int start, int length = -1) const;
  CDuiString Right(int length) const;

private:
  std::wstring m_str;
};

}  // namespace DuiLib
