// Helpers for the window tests: a CXMLWnd that records its clicks, message
// pumping, and a walk over a window's control tree.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "CXMLWnd.h"

using namespace DuiLib;

namespace uitest {

class ProbeForm : public CXMLWnd {
 public:
  explicit ProbeForm(LPCTSTR skin) : CXMLWnd(skin) {}
  void OnClick(TNotifyUI& msg) override {
    clicks.push_back(msg.pSender->GetName().GetData());
    WindowImplBase::OnClick(msg);
  }
  CControlUI* Find(LPCTSTR name) { return m_PaintManager.FindControl(name); }
  CPaintManagerUI& Manager() { return m_PaintManager; }

  std::vector<std::wstring> clicks;

  DUI_DECLARE_MESSAGE_MAP()
};

void Pump(int ms = 50);
void PostClick(HWND hwnd, CControlUI* control);
// Calls visit for control and every control below it.
void ForEachControl(CControlUI* control, const std::function<void(CControlUI*)>& visit);

}  // namespace uitest
