// A JavaScript context of a frame, in a renderer process.
#ifndef CEF_INCLUDE_CEF_V8_H_
#define CEF_INCLUDE_CEF_V8_H_

#include "include/cef_base.h"

class CefV8Context : public virtual CefBase {
 public:
  // Runs |code| in this context; false when it threw or could not run. The
  // result itself is not kept.
  virtual bool Eval(const CefString& code) = 0;
};

#endif  // CEF_INCLUDE_CEF_V8_H_
