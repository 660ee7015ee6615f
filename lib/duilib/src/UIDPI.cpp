#include "UIDPI.h"

namespace DuiLib {

int CDPI::GetDPI() {
  static const int dpi = [] {
    HDC screen = ::GetDC(NULL);
    int value = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ::ReleaseDC(NULL, screen);
    return value > 0 ? value : USER_DEFAULT_SCREEN_DPI;
  }();
  return dpi;
}

int CDPI::Scale(int value, int dpi) {
  if (dpi == USER_DEFAULT_SCREEN_DPI) return value;
  return ::MulDiv(value, dpi, USER_DEFAULT_SCREEN_DPI);
}

int CDPI::Scale(int value) { return Scale(value, GetDPI()); }

RECT CDPI::Scale(const RECT& rc) { return RECT{Scale(rc.left), Scale(rc.top), Scale(rc.right), Scale(rc.bottom)}; }

SIZE CDPI::Scale(const SIZE& size) { return SIZE{Scale(size.cx), Scale(size.cy)}; }

}  // namespace DuiLib
