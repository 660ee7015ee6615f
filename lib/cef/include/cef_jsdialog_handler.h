// JavaScript dialogs; a client that offers none gets CEF's default dialogs.
#ifndef CEF_INCLUDE_CEF_JSDIALOG_HANDLER_H_
#define CEF_INCLUDE_CEF_JSDIALOG_HANDLER_H_

#include "include/cef_base.h"

class CefJSDialogHandler : public virtual CefBase {};

#endif  // CEF_INCLUDE_CEF_JSDIALOG_HANDLER_H_
