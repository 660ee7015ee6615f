// A network request as seen by CefRequestHandler.
#ifndef CEF_INCLUDE_CEF_REQUEST_H_
#define CEF_INCLUDE_CEF_REQUEST_H_

#include "include/cef_base.h"

class CefRequest : public virtual CefBase {
 public:
  typedef cef_resource_type_t ResourceType;
  typedef cef_transition_type_t TransitionType;

  virtual CefString GetURL() = 0;
  // What the request loads: the main frame, a sub-frame, a script...
  virtual ResourceType GetResourceType() = 0;
  // How a navigation came about (a link, a reload, a redirect...).
  virtual TransitionType GetTransitionType() = 0;
};

// Lets a resource load be answered later. The client always answers at once,
// so it only passes this on.
class CefRequestCallback : public virtual CefBase {};

#endif  // CEF_INCLUDE_CEF_REQUEST_H_
