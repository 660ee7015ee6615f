// Callbacks that CEF runs when work it was given is done.
#ifndef CEF_INCLUDE_CEF_CALLBACK_H_
#define CEF_INCLUDE_CEF_CALLBACK_H_

#include "include/cef_base.h"

class CefCompletionCallback : public virtual CefBase {
 public:
  // Runs on the thread that the call which took the callback names.
  virtual void OnComplete() = 0;
};

#endif  // CEF_INCLUDE_CEF_CALLBACK_H_
