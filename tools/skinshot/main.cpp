// Renders each layout file of the skin folder the way its window draws it
// and saves it as a 24-bit BMP:  skinshot.exe <output folder>
#include <cstdio>
#include <string>

#include "CXMLWnd.h"

using namespace DuiLib;

namespace {

struct Shot {
  LPCTSTR skin;
  LPCTSTR output;
  LPCTSTR hover;  // a control shown in its hot state, or null
};

const Shot kShots[] = {
    {_T("FormLogin.xml"), L"skin-login.bmp", _T("playbtn")},
    {_T("FormLoginBrowser.xml"), L"skin-loginbrowser.bmp", nullptr},
    {_T("FormGame.xml"), L"skin-game.bmp", _T("fullscreenbtn")},
    {_T("FormFullScreen.xml"), L"skin-fullscreen.bmp", nullptr},
};

class ShotWnd : public CXMLWnd {
 public:
  using CXMLWnd::CXMLWnd;
  CControlUI* Find(LPCTSTR name) { return m_PaintManager.FindControl(name); }
};

void Pump(int ms) {
  const DWORD end = ::GetTickCount() + static_cast<DWORD>(ms);
  do {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::Sleep(5);
  } while (static_cast<LONG>(end - ::GetTickCount()) > 0);
}

bool SaveBitmap(const std::wstring& path, HWND hwnd) {
  RECT client = {};
  ::GetClientRect(hwnd, &client);
  const int width = client.right;
  const int height = client.bottom;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC memory = ::CreateCompatibleDC(nullptr);
  HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return false;
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  ::GdiFlush();

  const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
  const DWORD imageSize = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER header = {};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  header.bfSize = header.bfOffBits + imageSize;
  info.bmiHeader.biSizeImage = imageSize;
  bool ok = false;
  if (FILE* file = _wfopen(path.c_str(), L"wb")) {
    ok = fwrite(&header, sizeof(header), 1, file) == 1 && fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, file) == 1 &&
         fwrite(bits, imageSize, 1, file) == 1;
    fclose(file);
  }
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    fwprintf(stderr, L"usage: skinshot <output folder>\n");
    return 2;
  }
  std::wstring folder = argv[1];
  if (folder.back() != L'\\') folder += L'\\';
  CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
  CPaintManagerUI::SetResourcePath(CPaintManagerUI::GetInstancePath() + _T("skin"));

  int failures = 0;
  for (const Shot& shot : kShots) {
    ShotWnd wnd(shot.skin);
    if (!wnd.Create(NULL, shot.skin, WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0)) {
      fwprintf(stderr, L"%ls: cannot load\n", shot.skin);
      ++failures;
      continue;
    }
    wnd.CenterWindow();
    Pump(100);
    if (shot.hover) {
      const RECT& rc = wnd.Find(shot.hover)->GetPos();
      ::SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2));
    }
    const std::wstring path = folder + shot.output;
    if (SaveBitmap(path, wnd)) {
      wprintf(L"%ls\n", path.c_str());
    } else {
      fwprintf(stderr, L"%ls: cannot save\n", path.c_str());
      ++failures;
    }
    ::DestroyWindow(wnd);
  }
  return failures == 0 ? 0 : 1;
}
