// Shared helpers for the toolkit tests: layout files in a scratch folder, a
// test window that records what reaches it, message pumping and mouse input.
#pragma once

#include "UIlib.h"

#include <string>
#include <vector>

using namespace DuiLib;

namespace duitest {

// Writes name (UTF-8 text) into the scratch skin folder, which is also the
// toolkit's resource path.
void WriteSkin(const std::wstring& name, const std::string& xml);
std::wstring SkinFolder();

// Dispatches queued messages (through the toolkit's pre-filters) for ms.
void Pump(int ms = 50);
// Pumps until done() or ms pass; true if done() became true.
template <class F>
bool PumpUntil(F done, int ms = 2000) {
  for (int waited = 0; waited < ms; waited += 10) {
    if (done()) return true;
    Pump(10);
  }
  return done();
}

// Posts a mouse move, press and release at a client point of hwnd.
void PostClick(HWND hwnd, POINT client);
POINT Centre(const RECT& rc);

// Real input: X pointer events made by xdotool (a Unix program that Wine
// starts), which Wine turns into hardware input like a user's mouse. Input
// through SendInput races with Wine's own pointer syncing under Xvfb.
// Pumps this thread's messages until xdotool ends; false if it didn't run.
bool RunXdotool(const std::wstring& args);
std::wstring XMove(POINT screen);

// Counts its paints; made by TestWnd for the layout type "PaintProbe".
class CPaintProbeUI : public CControlUI {
 public:
  void DoPaint(HDC hDC, const RECT& rcPaint) override {
    ++paints;
    CControlUI::DoPaint(hDC, rcPaint);
  }
  int paints = 0;
};

class TestWnd : public WindowImplBase {
 public:
  explicit TestWnd(LPCTSTR skin, LPCTSTR windowClass = _T("DuiTestWnd")) : m_skin(skin), m_class(windowClass) {}

  LPCTSTR GetWindowClassName() const override { return m_class; }
  CDuiString GetSkinFile() override { return m_skin; }
  CDuiString GetSkinFolder() override { return _T(""); }
  void InitWindow() override { ++inits; }
  void OnClick(TNotifyUI& msg) override {
    clicks.push_back(msg.pSender ? std::wstring(msg.pSender->GetName()) : std::wstring());
    WindowImplBase::OnClick(msg);
  }
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
    LRESULT result = WindowImplBase::HandleMessage(uMsg, wParam, lParam);
    if (uMsg == WM_KEYDOWN) keys.push_back(wParam);
    return result;
  }
  CControlUI* CreateControl(LPCTSTR pstrClass) override {
    if (lstrcmpW(pstrClass, _T("PaintProbe")) == 0) return new CPaintProbeUI;
    return nullptr;
  }
  void OnFinalMessage(HWND hWnd) override {
    WindowImplBase::OnFinalMessage(hWnd);
    ++finals;
  }
  CControlUI* Find(LPCTSTR name) { return m_PaintManager.FindControl(name); }

  std::vector<std::wstring> clicks;
  std::vector<WPARAM> keys;
  int inits = 0;
  int finals = 0;

  DUI_DECLARE_MESSAGE_MAP()

 private:
  CDuiString m_skin;
  LPCTSTR m_class;
};

// A 400 x 300 window: a 32-pixel caption bar with a title and the four
// caption buttons, and a body with buttons, a hidden one, an unknown type,
// a check box, a combo and a paint probe.
extern const char kStandardSkin[];

}  // namespace duitest
