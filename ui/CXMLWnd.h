// CXMLWnd: the base of every window of the client. Each window is described
// entirely by one layout file in the skin folder, named when it is made.
#pragma once

#include "UIlib.h"

class CXMLWnd : public DuiLib::WindowImplBase {
 public:
  explicit CXMLWnd(LPCTSTR pszXMLName);
  ~CXMLWnd() override;

  // Every window of the client registers under this one class name.
  LPCTSTR GetWindowClassName() const override;
  DuiLib::CDuiString GetSkinFile() override;
  // Layout files lie directly in the skin folder set at start-up.
  DuiLib::CDuiString GetSkinFolder() override;

 protected:
  DuiLib::CDuiString m_strXMLName;
};
