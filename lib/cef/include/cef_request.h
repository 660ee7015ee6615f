// A network request as seen by CefRequestHandler.
#ifndef CEF_INCLUDE_CEF_REQUEST_H_
#define CEF_INCLUDE_CEF_REQUEST_H_

#include "include/cef_base.h"

class CefRequest : public virtual CefBase {
 public:
  virtual CefString GetURL() = 0;
};

#endif  // CEF_INCLUDE_CEF_REQUEST_H_
