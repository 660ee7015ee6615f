#!/usr/bin/env python3
"""The keyboard follows the game: real key presses (xdotool) reach the page
after every way the player brings the game back, without a click.

The demo game page reports each key it receives to the site (/keys?n=N), so
the site's log counts the keys that reached the page. The client runs in a
Wine desktop with a taskbar ("shell"), where the work area is smaller than
the screen, so that full screen and the normal window differ in size.
  keyboard_test.py BIN_DIR REPO_DIR
"""
import pathlib
import sys
import time

from client_driver import (SC_RESTORE, SCREEN_H, SCREEN_W, TRAY_ICON_ID, WM_LBUTTONUP, WM_SYSCOMMAND, WM_TRAY_NOTIFY,
                           WS_CAPTION, Checks, run_one_client, wait_for)

BIN = pathlib.Path(sys.argv[1]).resolve()
REPO = pathlib.Path(sys.argv[2]).resolve()
OUT = REPO / "build" / "test-results" / "e2e-keyboard"
DESKTOP = "shell"  # the name that makes Wine's desktop draw a taskbar
check = Checks()


def keys_seen(site):
    return len([p for p in site.paths() if p.startswith("/keys?")])


def press_and_count(client, site, names, what):
    """Presses the keys and checks that the page received every one."""
    before = keys_seen(site)
    client.key(*names)
    reached = wait_for(lambda: keys_seen(site) - before >= len(names), 10) and keys_seen(site) - before
    check(f"{what}: {len(names)} of {len(names)} keys reach the page without a click", reached == len(names),
          f"{keys_seen(site) - before} of {len(names)}")


def main():
    return run_one_client(REPO, BIN, OUT, DESKTOP, run_steps, check)


def run_steps(client, site):
    # The portal focuses its account field itself; typing right after
    # start-up must land there and log in under the typed name.
    check("start-up loads the portal",
          wait_for(lambda: "/wd/wd-vlmr/index.htm" in site.paths(), 60))
    check("the login window is shown", wait_for(client.login_window, 20))
    time.sleep(4)  # the page is loaded and has focused its field
    client.type("keyboard7")
    client.key("Return")
    check("typed text lands in the portal's account field without a click",
          wait_for(lambda: [p for p in site.paths() if p.startswith("/g/velmoLogin?user=keyboard7&")], 30),
          site.paths()[-3:])
    game = wait_for(lambda: client.game_window(1000), 20)
    check("the game window opens", game)
    if not game:
        return
    hwnd, normal = game
    width = normal[2] - normal[0]
    check("the desktop has a taskbar: the game window is smaller than the screen",
          normal[3] - normal[1] < SCREEN_H, normal)
    wait_for(lambda: "/pnox_cdn/img/banner.png" in site.paths(), 20)
    time.sleep(2)
    press_and_count(client, site, ["a", "b", "c"], "at the hand-over")

    # Full screen with the window's own button: a click on the top bar,
    # never into the page.
    client.click("Velmora", width - 171, 16)
    bar = wait_for(lambda: client.visible("FormGame"), 10)
    check("full screen shows its bar", bar)
    full = wait_for(lambda: client.game_window(1000) and client.game_window(1000)[1] == (0, 0, SCREEN_W, SCREEN_H), 10)
    check("full screen covers the whole screen, taskbar included", full, client.game_window(1000))
    check("full screen has no caption style", not client.style(hwnd) & WS_CAPTION, hex(client.style(hwnd)))
    client.screenshot("1-fullscreen")
    press_and_count(client, site, ["d", "e", "f"], "right after entering full screen")

    time.sleep(4)  # the bar slides up after three seconds
    hidden = wait_for(lambda: client.windows("FormGame") and client.windows("FormGame")[0][2][1] == -33, 5)
    check("the bar has slid up, one row left on screen", hidden, client.windows("FormGame"))
    press_and_count(client, site, ["g", "h", "i"], "after the bar hid itself")

    # A second move along the row, in case a busy machine dropped the first
    # motion before the bar was hit-tested.
    def bar_is_down():
        return client.windows("FormGame") and client.windows("FormGame")[0][2][1] == -1
    client.move_mouse(SCREEN_W // 2, 0)
    shown = wait_for(bar_is_down, 5) or (client.move_mouse(SCREEN_W // 2 + 8, 0) or wait_for(bar_is_down, 10))
    check("the mouse on the top row slides the bar down", shown, client.windows("FormGame"))
    client.move_mouse(SCREEN_W // 2, SCREEN_H // 2)
    press_and_count(client, site, ["j", "k", "l"], "after the bar slid down")

    client.key("Escape")
    left = wait_for(lambda: client.game_window(1000) and client.game_window(1000)[1] == normal, 10)
    check("Esc in the page leaves full screen: the normal placement is back", left, client.game_window(1000))
    check("leaving full screen closes the bar", wait_for(lambda: not client.windows("FormGame"), 10))
    check("leaving full screen restores the caption style", client.style(hwnd) & WS_CAPTION, hex(client.style(hwnd)))
    press_and_count(client, site, ["m", "n"], "after leaving full screen")

    # Minimise with the window's button, restore as the taskbar does.
    client.click("Velmora", width - 115, 16)
    check("the minimise button minimises the game", wait_for(lambda: not client.game_window(1000), 10))
    client.drive("post", "XMLWnd", "Velmora", WM_SYSCOMMAND, SC_RESTORE, 0)
    check("the game window is restored", wait_for(lambda: client.game_window(1000), 10))
    time.sleep(1)
    press_and_count(client, site, ["o", "p", "q"], "after minimise and restore")

    # The boss key, then the tray icon's click (its callback message: Xvfb
    # has no tray to click).
    client.click("Velmora", width - 211, 16)
    check("the boss key hides the game", wait_for(lambda: not client.game_window(1000), 10))
    client.drive("post", "XMLWnd", "Velmora", WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONUP)
    check("the tray click restores the game", wait_for(lambda: client.game_window(1000), 10))
    time.sleep(1)
    press_and_count(client, site, ["r", "s", "t"], "after boss key and tray")
    client.screenshot("2-restored")

    # The play button after the game closed, each way the login comes back,
    # after the player typed into the portal: the new game page gets the
    # keys, not the portal hidden behind it.
    for closing in ("its close button", "Alt+F4"):
        if closing == "Alt+F4":
            client.key("alt+F4")
        else:
            client.click("Velmora", width - 23, 16)
        check(f"closing the game with {closing} shows the login again", wait_for(client.login_window, 10))
        time.sleep(2)
        client.click("LoginBrowser", 505, 65)  # into the portal's account field
        client.type("portal")
        plays = len([p for p in site.paths() if p.startswith("/swtest.html")])
        client.click("Velmora", 115, 563)
        check(f"after {closing}, the play button opens the test login in a game window",
              wait_for(lambda: len([p for p in site.paths() if p.startswith("/swtest.html")]) > plays, 30)
              and wait_for(lambda: client.game_window(1000), 20))
        time.sleep(3)
        press_and_count(client, site, ["u", "v", "w"], f"after {closing} and the play button")

    # Close the game and then the client with their buttons.
    client.close_with_buttons(check, width)


if __name__ == "__main__":
    sys.exit(main())
