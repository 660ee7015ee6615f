// Render-process callbacks; only used by an app that offers one.
#ifndef CEF_INCLUDE_CEF_RENDER_PROCESS_HANDLER_H_
#define CEF_INCLUDE_CEF_RENDER_PROCESS_HANDLER_H_

#include "include/cef_base.h"

class CefRenderProcessHandler : public virtual CefBase {};

#endif  // CEF_INCLUDE_CEF_RENDER_PROCESS_HANDLER_H_
