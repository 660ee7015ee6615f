// Public header of the window toolkit: windows built from XML layout files,
// GDI-drawn controls and click notifications, under DuiLib's names.
#pragma once

#include <windows.h>
#include <windowsx.h>
#include <tchar.h>

#include "UIString.h"
#include "UIDefine.h"
#include "UIDPI.h"
#include "UIBase.h"
#include "UIManager.h"
#include "UIControl.h"
#include "UIContainer.h"
#include "UILabel.h"
#include "UIButton.h"
#include "UICombo.h"
#include "UIMarkup.h"
#include "UIDlgBuilder.h"
#include "WinImplBase.h"
