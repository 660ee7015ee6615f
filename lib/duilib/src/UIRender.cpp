#include "UIRender.h"

#include "UIDPI.h"

#include <cwchar>
#include <cwctype>

namespace DuiLib {
namespace render {

void FillRect(HDC hDC, const RECT& rc, DWORD argb, SIZE round) {
  if (!IsDrawnColor(argb)) return;
  HBRUSH brush = ::CreateSolidBrush(ToColorRef(argb));
  if (round.cx > 0 && round.cy > 0) {
    HGDIOBJ oldBrush = ::SelectObject(hDC, brush);
    HGDIOBJ oldPen = ::SelectObject(hDC, ::GetStockObject(NULL_PEN));
    // A null pen draws one pixel short on the right and bottom.
    ::RoundRect(hDC, rc.left, rc.top, rc.right + 1, rc.bottom + 1, round.cx, round.cy);
    ::SelectObject(hDC, oldPen);
    ::SelectObject(hDC, oldBrush);
  } else {
    ::FillRect(hDC, &rc, brush);
  }
  ::DeleteObject(brush);
}

void FrameRect(HDC hDC, const RECT& rc, DWORD argb, int size, SIZE round) {
  if (!IsDrawnColor(argb) || size <= 0) return;
  HPEN pen = ::CreatePen(PS_INSIDEFRAME, size, ToColorRef(argb));
  HGDIOBJ oldPen = ::SelectObject(hDC, pen);
  HGDIOBJ oldBrush = ::SelectObject(hDC, ::GetStockObject(NULL_BRUSH));
  if (round.cx > 0 && round.cy > 0)
    ::RoundRect(hDC, rc.left, rc.top, rc.right, rc.bottom, round.cx, round.cy);
  else
    ::Rectangle(hDC, rc.left, rc.top, rc.right, rc.bottom);
  ::SelectObject(hDC, oldBrush);
  ::SelectObject(hDC, oldPen);
  ::DeleteObject(pen);
}

void DrawText(HDC hDC, const RECT& rc, LPCTSTR text, DWORD argb, HFONT font, UINT style) {
  if (!text || !*text || !IsDrawnColor(argb) || rc.right <= rc.left || rc.bottom <= rc.top) return;
  HGDIOBJ oldFont = font ? ::SelectObject(hDC, font) : NULL;
  ::SetBkMode(hDC, TRANSPARENT);
  ::SetTextColor(hDC, ToColorRef(argb));
  RECT box = rc;
  ::DrawTextW(hDC, text, -1, &box, style | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (oldFont) ::SelectObject(hDC, oldFont);
}

namespace {

void Line(HDC hDC, int x1, int y1, int x2, int y2) {
  ::MoveToEx(hDC, x1, y1, NULL);
  ::LineTo(hDC, x2, y2);
}

void Square(HDC hDC, int left, int top, int size) {
  POINT pts[5] = {{left, top}, {left + size, top}, {left + size, top + size}, {left, top + size}, {left, top}};
  ::Polyline(hDC, pts, 5);
}

}  // namespace

// The glyphs are drawn on a 10-pixel box at 96 DPI; every length, the pen
// included, is scaled by the toolkit's one rule.
void DrawGlyph(HDC hDC, const RECT& rc, LPCTSTR glyph, DWORD argb) {
  if (!glyph || !*glyph || !IsDrawnColor(argb)) return;
  auto s = [](int value) { return CDPI::Scale(value); };
  HPEN pen = ::CreatePen(PS_SOLID, s(1), ToColorRef(argb));
  HGDIOBJ oldPen = ::SelectObject(hDC, pen);
  const int cx = (rc.left + rc.right) / 2;
  const int cy = (rc.top + rc.bottom) / 2;
  const int h = s(5);  // half of the 10-pixel icon box
  if (lstrcmpiW(glyph, L"min") == 0) {
    Line(hDC, cx - h, cy, cx + h + 1, cy);
  } else if (lstrcmpiW(glyph, L"max") == 0) {
    Square(hDC, cx - h, cy - h, 2 * h);
  } else if (lstrcmpiW(glyph, L"restore") == 0) {
    Square(hDC, cx - h, cy - h + s(2), 2 * h - s(2));
    POINT back[4] = {
        {cx - h + s(2), cy - h + s(2)}, {cx - h + s(2), cy - h}, {cx + h, cy - h}, {cx + h, cy + h - s(2)}};
    ::Polyline(hDC, back, 4);
    Line(hDC, cx + h, cy + h - s(2), cx + h - s(2), cy + h - s(2));
  } else if (lstrcmpiW(glyph, L"close") == 0) {
    Line(hDC, cx - h, cy - h, cx + h + 1, cy + h + 1);
    Line(hDC, cx + h, cy - h, cx - h - 1, cy + h + 1);
  } else if (lstrcmpiW(glyph, L"fullscreen") == 0 || lstrcmpiW(glyph, L"exitfullscreen") == 0) {
    // Four corner brackets pointing out (enter) or in (leave).
    const bool out = lstrcmpiW(glyph, L"fullscreen") == 0;
    for (int sx = -1; sx <= 1; sx += 2) {
      for (int sy = -1; sy <= 1; sy += 2) {
        const int reach = out ? h : s(2);
        const int arm = out ? -s(3) : s(3);
        const int x = cx + sx * reach, y = cy + sy * reach;
        POINT corner[3] = {{x + sx * arm, y}, {x, y}, {x, y + sy * arm}};
        ::Polyline(hDC, corner, 3);
      }
    }
  } else if (lstrcmpiW(glyph, L"sound") == 0) {
    POINT speaker[7] = {{cx - h, cy - s(2)}, {cx - h + s(3), cy - s(2)}, {cx, cy - h}, {cx, cy + h},
                        {cx - h + s(3), cy + s(2)}, {cx - h, cy + s(2)}, {cx - h, cy - s(2)}};
    ::Polyline(hDC, speaker, 7);
    Line(hDC, cx + s(2), cy - s(2), cx + s(2), cy + s(3));
    Line(hDC, cx + s(4), cy - s(4), cx + s(4), cy + s(5));
  } else if (lstrcmpiW(glyph, L"hide") == 0) {
    // An arrow into a tray.
    Line(hDC, cx, cy - h, cx, cy + s(2));
    Line(hDC, cx - s(3), cy - s(1), cx, cy + s(2));
    Line(hDC, cx + s(3), cy - s(1), cx, cy + s(2));
    POINT tray[4] = {{cx - h, cy + s(1)}, {cx - h, cy + h}, {cx + h, cy + h}, {cx + h, cy}};
    ::Polyline(hDC, tray, 4);
  } else if (lstrcmpiW(glyph, L"arrow") == 0) {
    // A filled triangle, one row at a time.
    const int rows = s(4);
    for (int i = 0; i < rows; ++i) Line(hDC, cx - s(3) + i, cy - s(2) + i, cx + s(4) - i, cy - s(2) + i);
  }
  ::SelectObject(hDC, oldPen);
  ::DeleteObject(pen);
}

void DrawCheckMark(HDC hDC, const RECT& box, DWORD argb) {
  HPEN pen = ::CreatePen(PS_SOLID, CDPI::Scale(2), ToColorRef(argb));
  HGDIOBJ oldPen = ::SelectObject(hDC, pen);
  const int w = box.right - box.left;
  const int h = box.bottom - box.top;
  POINT mark[3] = {{box.left + w / 4, box.top + h / 2},
                   {box.left + w / 2 - 1, box.top + 3 * h / 4 - 1},
                   {box.left + 3 * w / 4 + 1, box.top + h / 4 + 1}};
  ::Polyline(hDC, mark, 3);
  ::SelectObject(hDC, oldPen);
  ::DeleteObject(pen);
}

}  // namespace render

namespace parse {

bool Bool(LPCTSTR value) { return value && lstrcmpiW(value, L"true") == 0; }

int Int(LPCTSTR value) { return value ? static_cast<int>(wcstol(value, nullptr, 10)) : 0; }

DWORD Color(LPCTSTR value) {
  if (!value) return 0;
  while (iswspace(*value)) ++value;
  if (*value == L'#') ++value;
  else if (value[0] == L'0' && (value[1] == L'x' || value[1] == L'X')) value += 2;
  size_t digits = 0;
  while (iswxdigit(value[digits])) ++digits;
  DWORD color = static_cast<DWORD>(wcstoul(value, nullptr, 16));
  return digits <= 6 ? (0xFF000000u | color) : color;
}

namespace {

// Reads up to count comma-separated integers; missing ones stay 0.
void Ints(LPCTSTR value, long* out, int count) {
  for (int i = 0; i < count; ++i) out[i] = 0;
  if (!value) return;
  wchar_t* end = nullptr;
  for (int i = 0; i < count && *value; ++i) {
    out[i] = wcstol(value, &end, 10);
    if (end == value) break;
    value = end;
    while (*value == L',' || iswspace(*value)) ++value;
  }
}

}  // namespace

RECT Rect(LPCTSTR value) {
  long v[4];
  Ints(value, v, 4);
  return RECT{v[0], v[1], v[2], v[3]};
}

SIZE Size(LPCTSTR value) {
  long v[2];
  Ints(value, v, 2);
  return SIZE{v[0], v[1]};
}

}  // namespace parse
}  // namespace DuiLib
