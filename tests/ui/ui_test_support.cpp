#include "ui_test_support.h"

#include <gtest/gtest.h>

namespace uitest {

DUI_BEGIN_MESSAGE_MAP(ProbeForm, CNotifyPump)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, ProbeForm::OnClick)
DUI_END_MESSAGE_MAP()

void Pump(int ms) {
  const DWORD end = ::GetTickCount() + static_cast<DWORD>(ms);
  do {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!CPaintManagerUI::TranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (static_cast<LONG>(end - ::GetTickCount()) > 0);
}

void PostClick(HWND hwnd, CControlUI* control) {
  const RECT& rc = control->GetPos();
  LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
  ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, at);
  ::PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

void ForEachControl(CControlUI* control, const std::function<void(CControlUI*)>& visit) {
  if (!control) return;
  visit(control);
  auto* container = static_cast<CContainerUI*>(control->GetInterface(_T("Container")));
  if (!container) return;
  for (int i = 0; i < container->GetCount(); ++i) ForEachControl(container->GetItemAt(i), visit);
}

}  // namespace uitest

namespace {

// Start-up's set-up: the module and the skin folder beside the executable.
class WindowsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    CPaintManagerUI::SetResourcePath(CPaintManagerUI::GetInstancePath() + _T("skin"));
  }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new WindowsEnvironment);

}  // namespace
