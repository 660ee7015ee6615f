// A frame of a browser: the main document or a sub-frame.
#ifndef CEF_INCLUDE_CEF_FRAME_H_
#define CEF_INCLUDE_CEF_FRAME_H_

#include "include/cef_base.h"

class CefFrame : public virtual CefBase {
 public:
  virtual void LoadURL(const CefString& url) = 0;
  // Shows |string_val| as the frame's document, under the address |url|.
  virtual void LoadString(const CefString& string_val, const CefString& url) = 0;
  virtual void ExecuteJavaScript(const CefString& code, const CefString& script_url,
                                 int start_line) = 0;
  virtual bool IsMain() = 0;
  virtual CefString GetURL() = 0;
};

#endif  // CEF_INCLUDE_CEF_FRAME_H_
