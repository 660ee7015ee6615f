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
import json
import os
import pathlib
import subprocess
import sys
import time

BIN = pathlib.Path(sys.argv[1]).resolve()
REPO = pathlib.Path(sys.argv[2]).resolve()
OUT = REPO / "build" / "test-results" / "e2e"
DESKTOP = f"velmora-e2e-{os.getpid()}"
SCREEN_W, SCREEN_H = 1280, 800

WM_TRAY_NOTIFY = 0x400 + 1005
WM_LBUTTONUP = 0x202

results = []


def check(name, ok, detail=""):
    results.append(ok)
    print(f"{'ok  ' if ok else 'FAIL'} {name}{'' if ok else ': ' + str(detail)}", flush=True)
    return ok


def wait_for(predicate, seconds=20.0, step=0.25):
    deadline = time.time() + seconds
    while True:
        value = predicate()
        if value or time.time() > deadline:
            return value
        time.sleep(step)


def screenshot(name):
    subprocess.run(["import", "-window", "root", "-display", os.environ["DISPLAY"], str(OUT / f"{name}.png")],
                   check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def drive(*args):
    """Runs windriver inside the client's desktop and returns its output."""
    out = OUT / "driver.txt"
    out.unlink(missing_ok=True)
    env = dict(os.environ, VELMORA_DRIVER_OUT="Z:" + str(out).replace("/", "\\"))
    subprocess.run(["wine", "explorer", f"/desktop={DESKTOP}", str(BIN / "windriver.exe"), *map(str, args)],
                   env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    # The program runs on inside the desktop: wait for its output.
    wait_for(lambda: out.exists() and out.stat().st_size > 0, 5, 0.1)
    return out.read_text() if out.exists() else ""


def click(title, x, y):
    """A real click at a point of a window, given in its client coordinates."""
    at = drive("point", "XMLWnd", title, x, y).split()
    if len(at) != 2:
        return False
    subprocess.run(["xdotool", "mousemove", at[0], at[1], "click", "1"], check=False)
    time.sleep(0.3)
    return True


def key(name):
    """A real key press, to whatever has the keyboard focus."""
    subprocess.run(["xdotool", "key", name], check=False)
    time.sleep(0.3)


def windows(title):
    """Top-level XMLWnd windows with this title: (hwnd, visible, rect)."""
    found = []
    for line in drive("list", "XMLWnd", title).splitlines():
        parts = line.split()
        if len(parts) == 6:
            found.append((int(parts[0]), parts[1] == "1", tuple(map(int, parts[2:]))))
    return found


def visible(title):
    return [w for w in windows(title) if w[1]]


def game_window():
    """The visible "Velmora" window that is the size of the work area."""
    for hwnd, shown, rect in visible("Velmora"):
        if rect[2] - rect[0] > 1100:
            return hwnd, rect
    return None


def login_window():
    for hwnd, shown, rect in visible("Velmora"):
        if rect[2] - rect[0] == 1080:
            return hwnd, rect
    return None


def requests():
    return (OUT / "requests.log").read_text().splitlines()


def opened_urls():
    path = pathlib.Path(os.environ["VELMORA_URL_LOG"])
    return path.read_text().splitlines() if path.exists() else []


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    ready = OUT / "site.json"
    ready.unlink(missing_ok=True)
    site = subprocess.Popen([sys.executable, str(REPO / "demo" / "site.py"), "--log", str(OUT / "requests.log"),
                             "--ready", str(ready)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    client = None
    try:
        wait_for(ready.exists, 10, 0.1)
        proxy = json.loads(ready.read_text())["proxy"]
        flags = (REPO / "scripts" / "cef-wine-switches").read_text().split()
        flags += [f"--proxy-server={proxy}", "--ignore-certificate-errors"]
        env = dict(os.environ, VELMORA_DESKTOP=DESKTOP)
        client = subprocess.Popen([str(REPO / "scripts" / "wine-run.sh"), "--desktop", str(BIN / "velmora.exe"),
                                   *flags], cwd=BIN, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        run_steps(client)
    finally:
        if client and client.poll() is None:
            client.kill()
        site.terminate()
        site.wait()
    failed = results.count(False)
    print(f"{len(results) - failed} passed, {failed} failed")
    return 1 if failed else 0


def run_steps(client):
    # 1. Start-up loads the portal into the login browser over the login window.
    portal = "GET /wd/wd-vlmr/index.htm"
    check("start-up loads the portal", wait_for(lambda: any(portal in r for r in requests()), 60))
    check("the login window is shown", wait_for(login_window, 20))
    check("the login browser window is shown", wait_for(lambda: visible("LoginBrowser"), 10))
    time.sleep(3)  # let the page paint
    screenshot("1-login")

    # 2. A scripted login: the portal's "Sign in" button (fixed in the page).
    click("LoginBrowser", 505, 185)
    handed = wait_for(lambda: [r for r in requests() if "/g/velmoLogin" in r and "&loginType=5" in r], 30)
    check("the game page is asked for with &loginType=5", handed, requests()[-3:])
    check("the game window opens", wait_for(game_window, 20))
    check("the login windows are hidden", wait_for(lambda: not login_window() and not visible("LoginBrowser"), 10))
    time.sleep(3)
    screenshot("2-game")

    # 3. F11 in the page reloads the game page.
    before = len([r for r in requests() if "/g/velmoLogin" in r and "&loginType=5" in r])
    click("Velmora", 702, 532)  # focus the page
    key("F11")
    reloaded = wait_for(lambda: len([r for r in requests() if "/g/velmoLogin" in r and "&loginType=5" in r]) > before,
                        20)
    check("F11 makes the site see the game page again", reloaded)
    time.sleep(2)

    # 4. A new-window link goes to the system browser; no window opens.
    click("Velmora", 202, 262)
    news = wait_for(lambda: [u for u in opened_urls() if u.startswith("http://www.velmora.example/news.html")], 20)
    check("the new-window link reaches the system browser", news, opened_urls())
    time.sleep(1)
    popups = drive("list", "CefBrowserWindow", "-").strip()
    check("no popup window opens", not popups, popups)

    # 5. The boss key hides the game behind the tray icon; the icon's click
    # (delivered as its callback message: Xvfb offers no tray to click)
    # brings it back.
    hwnd, rect = game_window()
    width = rect[2] - rect[0]
    click("Velmora", width - 211, 16)
    check("the boss key hides the game window", wait_for(lambda: not game_window(), 10))
    screenshot("5-tray")
    drive("post", "XMLWnd", "Velmora", WM_TRAY_NOTIFY, 102, WM_LBUTTONUP)
    check("a tray click restores the game window", wait_for(game_window, 10))

    # 6. Full screen and back with Esc.
    click("Velmora", width - 171, 16)
    full = wait_for(lambda: [w for w in visible("Velmora") if w[2] == (0, 0, SCREEN_W, SCREEN_H)], 10)
    check("full screen covers the screen", full, visible("Velmora"))
    check("the full-screen bar is shown", wait_for(lambda: visible("FormGame"), 10))
    time.sleep(1)
    screenshot("6-fullscreen")
    click("Velmora", 702, 532)
    key("Escape")
    check("Esc leaves full screen", wait_for(lambda: game_window() and game_window()[1] == rect, 10),
          game_window())
    check("the bar is closed", wait_for(lambda: not windows("FormGame"), 10))
    check("the browser is back below the top bar",
          drive("children", game_window()[0]).split()[2:4] == ["2", "32"] if game_window() else False,
          drive("children", game_window()[0]) if game_window() else None)

    # 7. Closing the game window shows the login again.
    click("Velmora", width - 23, 16)
    check("closing the game shows the login again", wait_for(login_window, 10))
    check("the game window is gone", wait_for(lambda: not game_window(), 10))
    screenshot("7-login-again")

    # 8. The play button opens the test login page in a new game window.
    click("Velmora", 115, 563)
    check("the play button opens the test login page",
          wait_for(lambda: [r for r in requests() if r.startswith("https GET /swtest.html&loginType=5")], 30),
          requests()[-3:])
    check("a fresh game window opens", wait_for(game_window, 20))
    time.sleep(2)
    screenshot("8-test-login")
    hwnd, rect = game_window()
    click("Velmora", rect[2] - rect[0] - 23, 16)
    wait_for(login_window, 10)

    # 9. Closing the login window ends the process with 0, leaving nothing.
    click("Velmora", 1057, 20)
    try:
        code = client.wait(timeout=60)
    except subprocess.TimeoutExpired:
        code = None
    check("closing the login window ends the process with exit code 0", code == 0, code)
    left = subprocess.run(["pgrep", "-f", r"velmora\.exe"], stdout=subprocess.PIPE, text=True).stdout.split()
    check("no client process is left", wait_for(lambda: not subprocess.run(
        ["pgrep", "-f", r"velmora\.exe"], stdout=subprocess.DEVNULL).returncode == 0, 15), left)


if __name__ == "__main__":
    sys.exit(main())
