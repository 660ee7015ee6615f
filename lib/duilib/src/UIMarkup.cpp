#include "UIMarkup.h"

#include <objbase.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <cstdio>

namespace DuiLib {

LPCTSTR CMarkupNode::GetAttributeValue(LPCTSTR pstrName) const {
  for (const auto& attribute : m_attributes) {
    if (attribute.first == pstrName) return attribute.second;
  }
  return nullptr;
}

namespace {

typedef HRESULT(WINAPI* CreateXmlReaderFn)(REFIID riid, void** ppvObject, IMalloc* pMalloc);

// MinGW ships no import library for XmlLite, so it is bound at run time.
CreateXmlReaderFn XmlReaderFactory() {
  static CreateXmlReaderFn factory = [] {
    HMODULE module = ::LoadLibraryW(L"xmllite.dll");
    return module ? reinterpret_cast<CreateXmlReaderFn>(
                        reinterpret_cast<void*>(::GetProcAddress(module, "CreateXmlReader")))
                  : nullptr;
  }();
  return factory;
}

template <class T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() { if (p) p->Release(); }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

CDuiString Describe(LPCTSTR what, HRESULT hr) {
  wchar_t text[160];
  swprintf(text, 160, L"%ls (0x%08lx)", what, static_cast<unsigned long>(hr));
  return CDuiString(text);
}

}  // namespace

bool CMarkup::LoadFromFile(LPCTSTR pstrFilename) {
  m_root.reset();
  m_error.Empty();
  CreateXmlReaderFn factory = XmlReaderFactory();
  if (!factory) { m_error = L"xmllite.dll is not available"; return false; }

  ComPtr<IStream> stream;
  HRESULT hr = ::SHCreateStreamOnFileW(pstrFilename, STGM_READ | STGM_SHARE_DENY_WRITE, &stream);
  if (FAILED(hr)) { m_error = Describe(L"cannot open the layout file", hr); return false; }
  ComPtr<IXmlReader> reader;
  hr = factory(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader), nullptr);
  if (FAILED(hr)) { m_error = Describe(L"cannot create the XML reader", hr); return false; }
  reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
  hr = reader->SetInput(stream.p);
  if (FAILED(hr)) { m_error = Describe(L"cannot read the layout file", hr); return false; }

  std::unique_ptr<CMarkupNode> root;
  std::vector<CMarkupNode*> open;  // elements whose end tag is still to come
  XmlNodeType type;
  while ((hr = reader->Read(&type)) == S_OK) {
    if (type == XmlNodeType_Element) {
      const bool empty = reader->IsEmptyElement() != FALSE;
      auto node = std::make_unique<CMarkupNode>();
      LPCWSTR text = nullptr;
      reader->GetLocalName(&text, nullptr);
      node->m_name = text;
      for (HRESULT more = reader->MoveToFirstAttribute(); more == S_OK; more = reader->MoveToNextAttribute()) {
        LPCWSTR name = nullptr;
        LPCWSTR value = nullptr;
        reader->GetLocalName(&name, nullptr);
        reader->GetValue(&value, nullptr);
        node->m_attributes.emplace_back(CDuiString(name), CDuiString(value));
      }
      reader->MoveToElement();
      CMarkupNode* added = node.get();
      if (open.empty()) {
        if (root) { m_error = L"more than one root element"; return false; }
        root = std::move(node);
      } else {
        open.back()->m_children.push_back(std::move(node));
      }
      if (!empty) open.push_back(added);
    } else if (type == XmlNodeType_EndElement) {
      if (!open.empty()) open.pop_back();
    }
  }
  if (FAILED(hr)) { m_error = Describe(L"malformed layout file", hr); return false; }
  if (!root) { m_error = L"the layout file has no element"; return false; }
  m_root = std::move(root);
  return true;
}

}  // namespace DuiLib
