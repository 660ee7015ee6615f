#include "CXMLWnd.h"

CXMLWnd::CXMLWnd(LPCTSTR pszXMLName) : m_strXMLName(pszXMLName) {}

CXMLWnd::~CXMLWnd() = default;

LPCTSTR CXMLWnd::GetWindowClassName() const { return _T("XMLWnd"); }

DuiLib::CDuiString CXMLWnd::GetSkinFile() { return m_strXMLName; }

DuiLib::CDuiString CXMLWnd::GetSkinFolder() { return _T(""); }
