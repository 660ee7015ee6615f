// The custom window messages that travel between the browser clients and the
// windows. A string in lParam is null-terminated UTF-16 and valid only while
// the message is handled, so those messages are always sent synchronously.
#ifndef VELMORA_APP_APP_MESSAGES_H_
#define VELMORA_APP_APP_MESSAGES_H_

#include <windows.h>

#define WM_SHOW_LOGIN (WM_USER + 1003)       // game window -> login window
#define WM_LOGIN_URL (WM_USER + 1004)        // client/play button -> login window, lParam: URL
#define WM_TRAY_NOTIFY (WM_USER + 1005)      // shell -> game window, tray icon callback
#define WM_EXIT_FULLSCREEN (WM_USER + 1006)  // client (Esc), full-screen bar -> game window
#define WM_PAGE_TITLE (WM_USER + 1007)       // client -> host window, lParam: title
#define WM_RELOAD_PAGE (WM_USER + 1008)      // client (F11) -> host window
#define WM_OPEN_EXTERNAL (WM_USER + 1009)    // client -> login window, lParam: URL or null
#define WM_RECOVER_PAGE (WM_USER + 1010)     // client -> host window, posted: run its recovery step

#endif  // VELMORA_APP_APP_MESSAGES_H_
