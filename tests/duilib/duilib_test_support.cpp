#include "duilib_test_support.h"

#include <gtest/gtest.h>

namespace duitest {

DUI_BEGIN_MESSAGE_MAP(TestWnd, CNotifyPump)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, TestWnd::OnClick)
DUI_END_MESSAGE_MAP()

const char kStandardSkin[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="400,300" caption="0,0,0,32" sizebox="4,4,4,4">
  <Font name="Segoe UI" size="13" default="true"/>
  <VerticalLayout name="root" bkcolor="#FF202020">
    <HorizontalLayout name="top" height="32" bkcolor="#FF303030">
      <Label name="title" text="Title" padding="8,0,0,0" textcolor="#FFFFFFFF"/>
      <Button name="minbtn" width="40" glyph="min"/>
      <Button name="maxbtn" width="40" glyph="max"/>
      <Button name="restorebtn" width="40" glyph="restore" visible="false"/>
      <Button name="closebtn" width="40" glyph="close"/>
    </HorizontalLayout>
    <HorizontalLayout name="body" childvalign="vcenter">
      <Button name="hiddenbtn" width="100" height="50" visible="false" bkcolor="#FFFF0000"/>
      <Button name="okbtn" width="100" height="50" bkcolor="#FF00FF00" hotbkcolor="#FF00C000" pushedbkcolor="#FF008000"/>
      <Fancy name="unknown"><Button name="insideUnknown"/></Fancy>
      <CheckBox name="check" width="80" height="30" text="Check"/>
      <Combo name="combo" width="80" height="30"><ListLabelElement text="a"/><ListLabelElement text="b"/></Combo>
      <PaintProbe name="probe" width="40" visible="false"/>
      <Button name="ghost" float="true" pos="300,200,360,240" bkcolor="#FFFF0000" visible="false"/>
    </HorizontalLayout>
  </VerticalLayout>
</Window>
)";

std::wstring SkinFolder() {
  static std::wstring folder = [] {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring path = std::wstring(temp) + L"velmora-duilib-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    ::CreateDirectoryW(path.c_str(), nullptr);
    return path;
  }();
  return folder;
}

void WriteSkin(const std::wstring& name, const std::string& xml) {
  std::wstring path = SkinFolder() + name;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(file, xml.data(), static_cast<DWORD>(xml.size()), &written, nullptr);
  ::CloseHandle(file);
  CPaintManagerUI::SetResourcePath(SkinFolder().c_str());
}

void Pump(int ms) {
  const DWORD end = ::GetTickCount() + static_cast<DWORD>(ms);
  do {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) { ::PostQuitMessage(static_cast<int>(msg.wParam)); return; }
      if (!CPaintManagerUI::TranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (static_cast<LONG>(end - ::GetTickCount()) > 0);
}

void PostClick(HWND hwnd, POINT client) {
  LPARAM at = MAKELPARAM(client.x, client.y);
  ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, at);
  ::PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

POINT Centre(const RECT& rc) { return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }

bool RunXdotool(const std::wstring& args) {
  // Wine doesn't signal the handle of a Unix process when it ends, so the
  // command ends by parking the pointer in the corner, which we wait for.
  POINT park = {::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1};
  POINT start = {};
  ::GetCursorPos(&start);
  if (start.x == park.x && start.y == park.y) --park.x;
  std::wstring command = L"Z:\\usr\\bin\\xdotool " + args + L" sleep 0.05 " + XMove(park);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  const bool parked = PumpUntil([&] {
    POINT now = {};
    ::GetCursorPos(&now);
    return now.x == park.x && now.y == park.y;
  }, 10000);
  Pump(100);
  return parked;
}

std::wstring XMove(POINT screen) {
  return L"mousemove " + std::to_wstring(screen.x) + L" " + std::to_wstring(screen.y) + L" ";
}

}  // namespace duitest

namespace {

// The toolkit loads windows from the module and the scratch skin folder.
class ToolkitEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    duitest::WriteSkin(L"standard.xml", duitest::kStandardSkin);
  }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

}  // namespace
