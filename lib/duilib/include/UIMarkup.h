// CMarkup: a layout file read into a small element tree with the system's
// XML reader (XmlLite).
#pragma once

#include <memory>
#include <utility>
#include <vector>
#include "UIString.h"

namespace DuiLib {

class CMarkupNode {
 public:
  const CDuiString& GetName() const { return m_name; }
  // The attribute's value, or null when the element has no such attribute.
  LPCTSTR GetAttributeValue(LPCTSTR pstrName) const;
  const std::vector<std::pair<CDuiString, CDuiString>>& GetAttributes() const { return m_attributes; }
  const std::vector<std::unique_ptr<CMarkupNode>>& GetChildren() const { return m_children; }

 private:
  friend class CMarkup;
  CDuiString m_name;
  std::vector<std::pair<CDuiString, CDuiString>> m_attributes;
  std::vector<std::unique_ptr<CMarkupNode>> m_children;
};

class CMarkup {
 public:
  // False for a missing, unreadable or malformed file; GetLastErrorMessage says why.
  bool LoadFromFile(LPCTSTR pstrFilename);
  bool IsValid() const { return m_root != nullptr; }
  const CMarkupNode* GetRoot() const { return m_root.get(); }
  const CDuiString& GetLastErrorMessage() const { return m_error; }

 private:
  std::unique_ptr<CMarkupNode> m_root;
  CDuiString m_error;
};

}  // namespace DuiLib
