// Notification records, control events and the notification map macros.
#pragma once

#include <windows.h>
#include "UIString.h"

namespace DuiLib {

class CControlUI;
class CNotifyPump;

#define DUI_MSGTYPE_CLICK _T("click")
#define DUI_MSGTYPE_SELECTCHANGED _T("selectchanged")
#define DUI_MSGTYPE_ITEMSELECT _T("itemselect")
#define DUI_MSGTYPE_WINDOWINIT _T("windowinit")

// What a control reports to the window's notifiers.
struct TNotifyUI {
  CDuiString sType;
  CDuiString sVirtualWnd;
  CControlUI* pSender = nullptr;
  DWORD dwTimestamp = 0;
  POINT ptMouse = {0, 0};
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// What the paint manager tells a control about the mouse.
enum EVENTTYPE_UI {
  UIEVENT_MOUSEENTER = 1,
  UIEVENT_MOUSELEAVE,
  UIEVENT_MOUSEMOVE,
  UIEVENT_BUTTONDOWN,
  UIEVENT_BUTTONUP,
  UIEVENT_DBLCLICK,
};

struct TEventUI {
  int Type = 0;
  CControlUI* pSender = nullptr;
  DWORD dwTimestamp = 0;
  POINT ptMouse = {0, 0};
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// Visual states of buttons.
enum {
  UISTATE_HOT = 0x01,
  UISTATE_PUSHED = 0x02,
  UISTATE_CAPTURED = 0x04,
  UISTATE_SELECTED = 0x08,
};

// Notification maps: a class lists (type, control name, handler) entries and
// names the map of its base; CNotifyPump::NotifyPump walks the chain and
// calls the first entry that matches. An empty control name matches any
// control. Handlers are named with their class: DUI_ON_MSGTYPE(t, CMyWnd::OnClick).
typedef void (CNotifyPump::*DUI_PMSG)(TNotifyUI& msg);

enum DuiSig { DuiSig_end = 0, DuiSig_vn = 1 };

struct DUI_MSGMAP_ENTRY {
  LPCTSTR sMsgType;
  LPCTSTR sCtrlName;
  UINT nSig;
  DUI_PMSG pfn;
};

struct DUI_MSGMAP {
  const DUI_MSGMAP* (*pfnGetBaseMap)();
  const DUI_MSGMAP_ENTRY* lpEntries;
};

}  // namespace DuiLib

#define DUI_DECLARE_MESSAGE_MAP()                                  \
 private:                                                          \
  static const DuiLib::DUI_MSGMAP_ENTRY _messageEntries[];         \
                                                                   \
 protected:                                                        \
  static const DuiLib::DUI_MSGMAP messageMap;                      \
  static const DuiLib::DUI_MSGMAP* _GetBaseMessageMap();           \
                                                                   \
 public:                                                           \
  virtual const DuiLib::DUI_MSGMAP* GetMessageMap() const;

#define DUI_BASE_BEGIN_MESSAGE_MAP(theClass)                                                  \
  const DuiLib::DUI_MSGMAP* theClass::_GetBaseMessageMap() { return nullptr; }                \
  const DuiLib::DUI_MSGMAP* theClass::GetMessageMap() const { return &theClass::messageMap; } \
  const DuiLib::DUI_MSGMAP theClass::messageMap = {&theClass::_GetBaseMessageMap,             \
                                                   &theClass::_messageEntries[0]};            \
  const DuiLib::DUI_MSGMAP_ENTRY theClass::_messageEntries[] = {

#define DUI_BEGIN_MESSAGE_MAP(theClass, baseClass)                                            \
  const DuiLib::DUI_MSGMAP* theClass::_GetBaseMessageMap() { return &baseClass::messageMap; } \
  const DuiLib::DUI_MSGMAP* theClass::GetMessageMap() const { return &theClass::messageMap; } \
  const DuiLib::DUI_MSGMAP theClass::messageMap = {&theClass::_GetBaseMessageMap,             \
                                                   &theClass::_messageEntries[0]};            \
  const DuiLib::DUI_MSGMAP_ENTRY theClass::_messageEntries[] = {

#define DUI_END_MESSAGE_MAP() {_T(""), _T(""), DuiLib::DuiSig_end, nullptr}};

#define DUI_ON_MSGTYPE(msgtype, memberFxn) \
  {msgtype, _T(""), DuiLib::DuiSig_vn, static_cast<DuiLib::DUI_PMSG>(&memberFxn)},

#define DUI_ON_MSGTYPE_CTRNAME(msgtype, ctrname, memberFxn) \
  {msgtype, ctrname, DuiLib::DuiSig_vn, static_cast<DuiLib::DUI_PMSG>(&memberFxn)},

#define DUI_ON_CLICK_CTRNAME(ctrname, memberFxn) DUI_ON_MSGTYPE_CTRNAME(DUI_MSGTYPE_CLICK, ctrname, memberFxn)
