// The items of a context menu before CEF shows it.
#ifndef CEF_INCLUDE_CEF_MENU_MODEL_H_
#define CEF_INCLUDE_CEF_MENU_MODEL_H_

#include "include/cef_base.h"

class CefMenuModel : public virtual CefBase {
 public:
  virtual bool Clear() = 0;
  virtual int GetCount() = 0;
};

#endif  // CEF_INCLUDE_CEF_MENU_MODEL_H_
