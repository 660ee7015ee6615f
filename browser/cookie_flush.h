// The player's login lives in the portal's cookies. Chromium writes new
// cookies to the profile some seconds after they are set, and a shutdown
// does not always write the rest: a client closed soon after a login could
// forget it. The client writes them out itself before CEF shuts down.
#ifndef VELMORA_BROWSER_COOKIE_FLUSH_H_
#define VELMORA_BROWSER_COOKIE_FLUSH_H_

// Writes the cookie store to the profile and waits until that is done, at
// most a few seconds. Main thread, before CefShutdown.
void FlushCookiesBeforeShutdown();

#endif  // VELMORA_BROWSER_COOKIE_FLUSH_H_
