// The command line of a CEF process, as handed to CefApp.
#ifndef CEF_INCLUDE_CEF_COMMAND_LINE_H_
#define CEF_INCLUDE_CEF_COMMAND_LINE_H_

#include "include/cef_base.h"

class CefCommandLine : public virtual CefBase {
 public:
  // |name| may carry its leading "--"; libcef strips it.
  virtual void AppendSwitch(const CefString& name) = 0;
  // Adds "--name=value"; |name| without its leading "--".
  virtual void AppendSwitchWithValue(const CefString& name, const CefString& value) = 0;
  virtual bool HasSwitch(const CefString& name) = 0;
  virtual CefString GetCommandLineString() = 0;
};

#endif  // CEF_INCLUDE_CEF_COMMAND_LINE_H_
