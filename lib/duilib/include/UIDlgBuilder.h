// CDialogBuilder: builds a control tree from a layout file.
//
// <Window size="w,h" caption="l,t,r,b" sizebox="l,t,r,b" mininfo="w,h">
//   <Font name="Segoe UI" size="13" bold="false" default="true"/>
//   <VerticalLayout ...> controls ... </VerticalLayout>
// </Window>
//
// Element names are control types (Control, Container, VerticalLayout,
// HorizontalLayout, Label, Text, Button, CheckBox, Option, Combo,
// ListLabelElement); the root element must be Window. Other types are asked of the callback, and an element
// that nobody makes is left out together with its children.
#pragma once

#include "UIMarkup.h"
#include "UIControl.h"
#include "UIManager.h"

namespace DuiLib {

class IDialogBuilderCallback {
 public:
  virtual CControlUI* CreateControl(LPCTSTR pstrClass) = 0;

 protected:
  ~IDialogBuilderCallback() = default;
};

class CDialogBuilder {
 public:
  // xml: a file name, relative to the manager's resource path unless absolute.
  // Returns the root control, or null if the file is missing or malformed or
  // holds no control.
  CControlUI* Create(LPCTSTR xml, LPCTSTR type = NULL, IDialogBuilderCallback* pCallback = NULL,
                     CPaintManagerUI* pManager = NULL, CControlUI* pParent = NULL);
  const CMarkup* GetMarkup() const { return &m_xml; }
  const CDuiString& GetLastErrorMessage() const { return m_xml.GetLastErrorMessage(); }

  static CControlUI* CreateBuiltinControl(LPCTSTR pstrClass);

 private:
  CControlUI* Parse(const CMarkupNode& node, CControlUI* pParent, CPaintManagerUI* pManager);
  void ApplyWindowAttributes(const CMarkupNode& window, CPaintManagerUI* pManager);

  CMarkup m_xml;
  IDialogBuilderCallback* m_pCallback = nullptr;
};

}  // namespace DuiLib
