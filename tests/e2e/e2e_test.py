#!/usr/bin/env python3
"""The road of a login, end to end: the real velmora.exe with the real CEF
runtime under Wine, against the demo operator site on 127.0.0.1.

Every step is checked from outside the client: the site's request log, the
URL recorder that stands in for the system browser, the windows as another
process sees them (tools/windriver), and the process's exit code. Each step
saves a screenshot of the virtual desktop to build/test-results/e2e/.

Run by CTest in the Windows build, inside the Wine environment of
scripts/test.sh (DISPLAY, WINEPREFIX and VELMORA_URL_LOG set).
  e2e_test.py BIN_DIR REPO_DIR
"""
import os
import pathlib
import sys
import time

from client_driver import (SCREEN_H, SCREEN_W, TRAY_ICON_ID, WM_LBUTTONUP, WM_TRAY_NOTIFY, Checks,
                           run_one_client, wait_for)

BIN = pathlib.Path(sys.argv[1]).resolve()
REPO = pathlib.Path(sys.argv[2]).resolve()
OUT = REPO / "build" / "test-results" / "e2e"
check = Checks()


def opened_urls():
    path = pathlib.Path(os.environ["VELMORA_URL_LOG"])
    return path.read_text().splitlines() if path.exists() else []


def main():
    return run_one_client(REPO, BIN, OUT, f"velmora-e2e-{os.getpid()}", run_steps, check)


def run_steps(client, site):
    # 1. Start-up loads the portal into the login browser over the login window.
    portal = "GET /wd/wd-vlmr/index.htm"
    check("start-up loads the portal", wait_for(lambda: any(portal in r for r in site.requests()), 60))
    check("the login window is shown", wait_for(client.login_window, 20))
    check("the login browser window is shown", wait_for(lambda: client.visible("LoginBrowser"), 10))
    time.sleep(3)  # let the page paint
    client.screenshot("1-login")

    # 2. A scripted login: the portal's "Sign in" button (fixed in the page).
    client.click("LoginBrowser", 505, 185)
    handed = wait_for(lambda: [r for r in site.requests() if "/g/velmoLogin" in r and "&loginType=5" in r], 30)
    check("the game page is asked for with &loginType=5", handed, site.requests()[-3:])
    check("the game window opens", wait_for(client.game_window, 20))
    check("the login windows are hidden", wait_for(lambda: not client.login_window() and not client.visible("LoginBrowser"), 10))
    time.sleep(3)
    client.screenshot("2-game")

    # 3. F11 in the page reloads the game page.
    before = len([r for r in site.requests() if "/g/velmoLogin" in r and "&loginType=5" in r])
    client.click("Velmora", 702, 532)  # focus the page
    client.key("F11")
    reloaded = wait_for(lambda: len([r for r in site.requests() if "/g/velmoLogin" in r and "&loginType=5" in r]) > before,
                        20)
    check("F11 makes the site see the game page again", reloaded)
    time.sleep(2)

    # 4. A new-window link goes to the system browser; no window opens.
    client.click("Velmora", 202, 262)
    news = wait_for(lambda: [u for u in opened_urls() if u.startswith("http://www.velmora.example/news.html")], 20)
    check("the new-window link reaches the system browser", news, opened_urls())
    time.sleep(1)
    popups = client.drive("list", "CefBrowserWindow", "-").strip()
    check("no popup window opens", not popups, popups)

    # 5. The boss key hides the game behind the tray icon; the icon's click
    # (delivered as its callback message: Xvfb offers no tray to click)
    # brings it back.
    hwnd, rect = client.game_window()
    width = rect[2] - rect[0]
    client.click("Velmora", width - 211, 16)
    check("the boss key hides the game window", wait_for(lambda: not client.game_window(), 10))
    client.screenshot("5-tray")
    client.drive("post", "XMLWnd", "Velmora", WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONUP)
    check("a tray click restores the game window", wait_for(client.game_window, 10))

    # 6. Full screen and back with Esc.
    client.click("Velmora", width - 171, 16)
    full = wait_for(lambda: [w for w in client.visible("Velmora") if w[2] == (0, 0, SCREEN_W, SCREEN_H)], 10)
    check("full screen covers the screen", full, client.visible("Velmora"))
    check("the full-screen bar is shown", wait_for(lambda: client.visible("FormGame"), 10))
    time.sleep(1)
    client.screenshot("6-fullscreen")
    client.click("Velmora", 702, 532)
    client.key("Escape")
    check("Esc leaves full screen", wait_for(lambda: client.game_window() and client.game_window()[1] == rect, 10),
          client.game_window())
    check("the bar is closed", wait_for(lambda: not client.windows("FormGame"), 10))
    check("the browser is back below the top bar",
          client.drive("children", client.game_window()[0]).split()[2:4] == ["2", "32"] if client.game_window() else False,
          client.drive("children", client.game_window()[0]) if client.game_window() else None)

    # 7. Closing the game window shows the login again.
    client.click("Velmora", width - 23, 16)
    check("closing the game shows the login again", wait_for(client.login_window, 10))
    check("the game window is gone", wait_for(lambda: not client.game_window(), 10))
    client.screenshot("7-login-again")

    # 8. The play button opens the test login page in a new game window.
    client.click("Velmora", 115, 563)
    check("the play button opens the test login page",
          wait_for(lambda: [r for r in site.requests() if r.startswith("https GET /swtest.html&loginType=5")], 30),
          site.requests()[-3:])
    check("a fresh game window opens", wait_for(client.game_window, 20))
    time.sleep(2)
    client.screenshot("8-test-login")

    # 9. A real Alt+F4 closes the game window the way its close button does:
    # the login comes back, and the next play opens a game window again.
    client.key("alt+F4")
    check("Alt+F4 on the game shows the login again", wait_for(client.login_window, 10))
    check("Alt+F4 leaves no game window", wait_for(lambda: not client.game_window(), 10))
    client.click("Velmora", 115, 563)
    check("after Alt+F4 the play button opens a fresh game window", wait_for(client.game_window, 30))
    hwnd, rect = client.game_window() or (0, (0, 0, 0, 0))
    client.click("Velmora", rect[2] - rect[0] - 23, 16)
    wait_for(client.login_window, 10)

    # 10. Closing the login window ends the process with 0, leaving nothing.
    client.close_with_buttons(check)


if __name__ == "__main__":
    sys.exit(main())
