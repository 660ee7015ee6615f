#include "UIlib.h"
#include "UIRender.h"

#include <shlwapi.h>

namespace DuiLib {

CControlUI* CDialogBuilder::CreateBuiltinControl(LPCTSTR pstrClass) {
  const CDuiString type(pstrClass);
  if (type == _T("Control")) return new CControlUI;
  if (type == _T("Container")) return new CContainerUI;
  if (type == _T("VerticalLayout")) return new CVerticalLayoutUI;
  if (type == _T("HorizontalLayout")) return new CHorizontalLayoutUI;
  if (type == _T("Label") || type == _T("Text")) return new CLabelUI;
  if (type == _T("Button")) return new CButtonUI;
  if (type == _T("CheckBox") || type == _T("Option")) return new CCheckBoxUI;
  if (type == _T("Combo")) return new CComboUI;
  if (type == _T("ListLabelElement")) return new CListLabelElementUI;
  return nullptr;
}

CControlUI* CDialogBuilder::Create(LPCTSTR xml, LPCTSTR /*type*/, IDialogBuilderCallback* pCallback,
                                   CPaintManagerUI* pManager, CControlUI* pParent) {
  m_pCallback = pCallback;
  CDuiString path(xml);
  if (::PathIsRelativeW(xml)) path = CPaintManagerUI::GetResourcePath() + xml;
  if (!m_xml.LoadFromFile(path)) return nullptr;

  const CMarkupNode& root = *m_xml.GetRoot();
  if (root.GetName() != _T("Window")) return nullptr;
  if (pManager) ApplyWindowAttributes(root, pManager);
  return Parse(root, pParent, pManager);
}

// The window's sizes and fonts are written for 96 DPI and scaled once here,
// by the same rule as the controls' pixel values.
void CDialogBuilder::ApplyWindowAttributes(const CMarkupNode& window, CPaintManagerUI* pManager) {
  for (const auto& attribute : window.GetAttributes()) {
    const CDuiString& name = attribute.first;
    LPCTSTR value = attribute.second;
    if (name == _T("size")) {
      SIZE size = CDPI::Scale(parse::Size(value));
      pManager->SetInitSize(size.cx, size.cy);
    } else if (name == _T("caption")) {
      pManager->SetCaptionRect(CDPI::Scale(parse::Rect(value)));
    } else if (name == _T("sizebox")) {
      pManager->SetSizeBox(CDPI::Scale(parse::Rect(value)));
    } else if (name == _T("mininfo")) {
      SIZE size = CDPI::Scale(parse::Size(value));
      pManager->SetMinInfo(size.cx, size.cy);
    } else if (name == _T("maxinfo")) {
      SIZE size = CDPI::Scale(parse::Size(value));
      pManager->SetMaxInfo(size.cx, size.cy);
    }
  }
  for (const auto& child : window.GetChildren()) {
    if (child->GetName() != _T("Font")) continue;
    LPCTSTR face = child->GetAttributeValue(_T("name"));
    LPCTSTR size = child->GetAttributeValue(_T("size"));
    pManager->AddFont(face ? face : _T("Segoe UI"), CDPI::Scale(size ? parse::Int(size) : 12),
                      parse::Bool(child->GetAttributeValue(_T("bold"))),
                      parse::Bool(child->GetAttributeValue(_T("default"))));
  }
}

// Builds the control children of node under pParent; returns the first one made.
CControlUI* CDialogBuilder::Parse(const CMarkupNode& node, CControlUI* pParent, CPaintManagerUI* pManager) {
  CControlUI* first = nullptr;
  for (const auto& child : node.GetChildren()) {
    const CDuiString& type = child->GetName();
    if (type == _T("Font") || type == _T("Default") || type == _T("Image")) continue;
    CControlUI* control = CreateBuiltinControl(type);
    if (!control && m_pCallback) control = m_pCallback->CreateControl(type);
    if (!control) continue;  // an unknown type is left out with its children

    auto* container = pParent ? static_cast<CContainerUI*>(pParent->GetInterface(_T("Container"))) : nullptr;
    if (container) container->Add(control);
    else if (pParent || first) { delete control; continue; }  // one root; only containers hold children
    control->SetManager(pManager, pParent);
    for (const auto& attribute : child->GetAttributes()) control->SetAttribute(attribute.first, attribute.second);
    if (control->GetInterface(_T("Container"))) Parse(*child, control, pManager);
    if (!first) first = control;
  }
  return first;
}

}  // namespace DuiLib
