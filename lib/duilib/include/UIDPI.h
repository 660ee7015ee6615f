// CDPI: the system DPI and the one rule by which the toolkit, and the windows
// built on it, turn a 96-DPI pixel value into the screen's pixels.
#pragma once

#include <windows.h>

namespace DuiLib {

class CDPI {
 public:
  // The screen's DPI as this process sees it, read once: the system DPI in a
  // DPI-aware process, 96 in one that Windows scales as a bitmap.
  static int GetDPI();
  // value * dpi / 96, rounded to the nearest pixel, halves away from zero.
  static int Scale(int value, int dpi);
  // The same at the system DPI.
  static int Scale(int value);
  static RECT Scale(const RECT& rc);
  static SIZE Scale(const SIZE& size);
};

}  // namespace DuiLib
