// GDI drawing helpers and attribute value parsing shared by the controls.
#pragma once

#include <windows.h>

namespace DuiLib {

// Colours are 0xAARRGGBB; alpha 0 means "not drawn".
inline bool IsDrawnColor(DWORD argb) { return (argb >> 24) != 0; }
inline COLORREF ToColorRef(DWORD argb) {
  return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

namespace render {

void FillRect(HDC hDC, const RECT& rc, DWORD argb, SIZE round = {0, 0});
void FrameRect(HDC hDC, const RECT& rc, DWORD argb, int size, SIZE round = {0, 0});
// Single line text, clipped to rc, with an ellipsis where it does not fit.
void DrawText(HDC hDC, const RECT& rc, LPCTSTR text, DWORD argb, HFONT font, UINT style);
// Vector glyphs for caption buttons: "min", "max", "restore", "close",
// "fullscreen", "exitfullscreen", "sound", "hide", "arrow" (combo drop-down).
void DrawGlyph(HDC hDC, const RECT& rc, LPCTSTR glyph, DWORD argb);
void DrawCheckMark(HDC hDC, const RECT& box, DWORD argb);

}  // namespace render

namespace parse {

bool Bool(LPCTSTR value);
int Int(LPCTSTR value);
DWORD Color(LPCTSTR value);  // "#AARRGGBB", "#RRGGBB" (opaque) or "0xAARRGGBB"
RECT Rect(LPCTSTR value);    // "l,t,r,b"
SIZE Size(LPCTSTR value);    // "cx,cy"

}  // namespace parse
}  // namespace DuiLib
