// CPaintManagerUI: owns one window's control tree; lays it out, paints it
// with GDI, turns mouse messages into control events and click notifications.
#pragma once

#include <windows.h>
#include <vector>
#include "UIDefine.h"

namespace DuiLib {

class CControlUI;

class INotifyUI {
 public:
  virtual void Notify(TNotifyUI& msg) = 0;

 protected:
  ~INotifyUI() = default;
};

class IMessageFilterUI {
 public:
  virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;

 protected:
  ~IMessageFilterUI() = default;
};

struct TFontInfo {
  HFONT hFont = NULL;
  CDuiString sFontName;
  int iSize = 0;
  bool bBold = false;
  TEXTMETRICW tm = {};
};

class CPaintManagerUI {
 public:
  CPaintManagerUI();
  ~CPaintManagerUI();
  CPaintManagerUI(const CPaintManagerUI&) = delete;
  CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

  // Module and layout folder, shared by all windows of the process.
  static void SetInstance(HINSTANCE hInst);
  static HINSTANCE GetInstance();
  static CDuiString GetInstancePath();  // folder of the module, with a trailing backslash
  static CDuiString GetCurrentPath();
  static void SetResourcePath(LPCTSTR pStrPath);  // a trailing backslash is added if missing
  static const CDuiString& GetResourcePath();
  // Runs the pre-message filters of the window a queued message is for.
  static bool TranslateMessage(const LPMSG pMsg);

  void Init(HWND hWnd);
  HWND GetPaintWindow() const { return m_hWndPaint; }
  bool AttachDialog(CControlUI* pControl);
  CControlUI* GetRoot() const { return m_pRoot; }
  void ReapObjects(CControlUI* pControl);

  CControlUI* FindControl(LPCTSTR pstrName) const;
  CControlUI* FindControl(POINT pt) const;

  // Window properties read from the layout's <Window> element, in screen
  // pixels (the layout's 96-DPI values scaled to the system DPI).
  SIZE GetInitSize() const { return m_szInitWindowSize; }
  void SetInitSize(int cx, int cy);
  const RECT& GetCaptionRect() const { return m_rcCaption; }
  void SetCaptionRect(const RECT& rc) { m_rcCaption = rc; }
  const RECT& GetSizeBox() const { return m_rcSizeBox; }
  void SetSizeBox(const RECT& rc) { m_rcSizeBox = rc; }
  SIZE GetMinInfo() const { return m_szMinWindow; }
  void SetMinInfo(int cx, int cy) { m_szMinWindow = {cx, cy}; }
  SIZE GetMaxInfo() const { return m_szMaxWindow; }
  void SetMaxInfo(int cx, int cy) { m_szMaxWindow = {cx, cy}; }

  // Fonts: index 0.. in the order of the layout's <Font> elements; -1 is the
  // default. nSize is the character height in screen pixels.
  int AddFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bDefault = false);
  HFONT GetFont(int index) const;
  int GetFontCount() const { return static_cast<int>(m_fonts.size()); }

  bool AddNotifier(INotifyUI* pControl);
  bool RemoveNotifier(INotifyUI* pControl);
  void SendNotify(CControlUI* pControl, LPCTSTR pstrMessage, WPARAM wParam = 0, LPARAM lParam = 0);

  bool AddPreMessageFilter(IMessageFilterUI* pFilter);
  bool RemovePreMessageFilter(IMessageFilterUI* pFilter);
  bool AddMessageFilter(IMessageFilterUI* pFilter);
  bool RemoveMessageFilter(IMessageFilterUI* pFilter);

  void Invalidate(const RECT& rcItem);
  void NeedUpdate() { m_bUpdateNeeded = true; }
  // Lays the tree out again now if a change asked for it.
  void UpdateLayout();
  // Paints the whole client area into hDC (also used for WM_PRINTCLIENT).
  void PaintTo(HDC hDC, const RECT& rcPaint);

  bool PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
  bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);

 private:
  void Detach();
  void DeleteRoot();
  void SendEvent(CControlUI* pControl, int type, POINT pt, WPARAM wParam, LPARAM lParam);
  bool HandleMouse(UINT uMsg, WPARAM wParam, LPARAM lParam);

  HWND m_hWndPaint = NULL;
  CControlUI* m_pRoot = nullptr;
  CControlUI* m_pEventHover = nullptr;
  CControlUI* m_pEventClick = nullptr;
  POINT m_ptLastMousePos = {-1, -1};
  bool m_bMouseTracking = false;
  bool m_bUpdateNeeded = false;
  // Controls are deleted only once no handler of this window is on the stack.
  int m_nDispatchDepth = 0;
  bool m_bReapPending = false;

  SIZE m_szInitWindowSize = {0, 0};
  RECT m_rcCaption = {0, 0, 0, 0};
  RECT m_rcSizeBox = {0, 0, 0, 0};
  SIZE m_szMinWindow = {0, 0};
  SIZE m_szMaxWindow = {0, 0};

  std::vector<TFontInfo> m_fonts;
  int m_defaultFont = -1;
  HFONT m_hDefaultFont = NULL;

  std::vector<INotifyUI*> m_aNotifiers;
  std::vector<IMessageFilterUI*> m_aPreMessageFilters;
  std::vector<IMessageFilterUI*> m_aMessageFilters;
};

}  // namespace DuiLib
