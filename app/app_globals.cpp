#include "app/app_globals.h"

#include "browser/simple_handler.h"

HWND g_hLoginWnd = nullptr;
CefRefPtr<SimpleHandler> g_pSimpleHandler(new SimpleHandler());
