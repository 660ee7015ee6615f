// The windows' pixel values are written for 96 DPI. Dpi::Scale turns one into
// the screen's pixels by the toolkit's own rule, so that what the code places
// and what the layout files draw always agree.
#pragma once

#include <windows.h>

#include "UIDPI.h"

namespace Dpi {

inline int Scale(int value) { return DuiLib::CDPI::Scale(value); }
inline POINT Scale(POINT point) { return POINT{Scale(point.x), Scale(point.y)}; }

}  // namespace Dpi
