#!/usr/bin/env python3
"""The client at 100%, 125%, 150% and 200%: 96, 120, 144 and 192 DPI.

In a Wine prefix of its own (the run's prefix name + "-dpi", made once) and
on an X screen of its own (2560 x 1600), the test sets the prefix's DPI
(HKCU\\Control Panel\\Desktop, LogPixels; a new process reads it, the running
wineserver keeps serving) and, at each scale:

  * above 96 DPI, runs the windows' and the toolkit's scaled-geometry tests
    (windows_test's AtTheSystemDpi, TrayIcon and FullScreenMode groups,
    duilib_test's Dpi group) at that DPI;
  * runs the real client once, on a virtual desktop of 1280 x 800 scaled
    pixels (the same logical screen at every scale), and checks from outside:
    the login window's size and place, the portal window glued to it before
    and after a real drag of the caption, the portal's and the game page's
    devicePixelRatio and CSS size (the pages report them to the demo site),
    typed keys reaching the portal and the game page, the game window and
    its browser's insets, real clicks on the full-screen button, the
    full-screen bar's size and place and its own button, the minimise
    button, the boss key, and the close buttons of both windows.

At 100% and 150% it saves screenshots of the login and the game window to
build/test-results/e2e-dpi/ (login-100.png, game-150.png, ...).
  dpi_test.py BIN_DIR REPO_DIR
"""
import os
import pathlib
import subprocess
import sys
import time

from client_driver import (SC_RESTORE, TRAY_ICON_ID, WM_LBUTTONUP, WM_SYSCOMMAND, WM_TRAY_NOTIFY, Checks, Client,
                           DemoSite, client_command_lines, no_client_left, wait_for)

BIN = pathlib.Path(sys.argv[1]).resolve()
REPO = pathlib.Path(sys.argv[2]).resolve()
OUT = REPO / "build" / "test-results" / "e2e-dpi"
SCALES = [96, 120, 144, 192]
SCREENSHOTS = {96: "100", 144: "150"}
X_SCREEN = (2560, 1600)
check = Checks()


def scale(value, dpi):
    """The client's rounding rule (MulDiv): to the nearest, halves away from zero."""
    if dpi == 96:
        return value
    sign = -1 if value < 0 else 1
    return sign * ((abs(value) * dpi * 2 + 96) // (96 * 2))


# ---- the test's own X screen and Wine prefix ----

def start_xvfb():
    n = 120
    while pathlib.Path(f"/tmp/.X{n}-lock").exists() or pathlib.Path(f"/tmp/.X11-unix/X{n}").exists():
        n += 1
    process = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", f"{X_SCREEN[0]}x{X_SCREEN[1]}x24", "-nolisten",
                                "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: pathlib.Path(f"/tmp/.X11-unix/X{n}").exists(), 5, 0.05)
    os.environ["DISPLAY"] = f":{n}"
    return process


def prepare_prefix():
    """Points the environment at the test's own prefix, makes it the way
    scripts/wine-env.sh makes every prefix, and keeps one server for it."""
    os.environ["WINEPREFIX"] = os.environ.get("WINEPREFIX", str(pathlib.Path.home() / ".cache/velmora/wineprefix")) \
        + "-dpi"
    subprocess.run(["bash", "-c", f"source '{REPO}/scripts/wine-env.sh' && velmora_wine_start"], check=False,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)
    subprocess.run(["wineserver", "-p"], check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def set_dpi(dpi):
    subprocess.run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                    "/d", str(dpi), "/f"], check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def run_gtest(exe, pattern, dpi):
    """Runs one gtest group at this DPI; checks it passed."""
    env = dict(os.environ, ALSA_CONFIG_PATH=str(REPO / "tests" / "audio" / "alsa-null.conf"),
               PULSE_SERVER="unix:/nonexistent")
    result = subprocess.run([str(REPO / "scripts" / "wine-run.sh"), "--desktop", str(BIN / exe),
                             f"--gtest_filter={pattern}"], cwd=BIN, env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True, timeout=180)
    for line in result.stdout.splitlines():
        if line.startswith(("system DPI", "small icon")):
            print(f"     {dpi} DPI: {exe}: {line.strip()}", flush=True)
    ran = result.stdout.count("[       OK ]")
    failed = [line for line in result.stdout.splitlines() if "Failure" in line or "FAILED  ]" in line]
    check(f"{dpi} DPI: {exe} {pattern}: {ran} passed, none failed", result.returncode == 0 and ran > 0,
          "\n".join(failed) or result.stdout[-2000:])


# ---- observing the client ----

def shown(client, title, width=None):
    for hwnd, visible, rect in client.windows(title):
        if visible and (width is None or rect[2] - rect[0] == width):
            return hwnd, rect
    return None


def screen_reports(site, page):
    """The page's /screen reports: [(dpr, css width, css height)], oldest first."""
    reports = []
    for path in site.paths():
        if path.startswith("/screen?") and f"page={page}&" in path:
            query = dict(part.split("=", 1) for part in path.split("?", 1)[1].split("&") if "=" in part)
            reports.append((float(query["dpr"]), int(query["w"]), int(query["h"])))
    return reports


def keys_seen(site):
    return len([p for p in site.paths() if p.startswith("/keys?")])


def screenshot(client, name, rect):
    left, top, right, bottom = rect
    subprocess.run(["import", "-window", "root", "-display", os.environ["DISPLAY"], "-crop",
                    f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                    str(client.out / f"{name}.png")], check=False, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def post(client, message, wparam, lparam):
    """Posts a message to the game window, as the taskbar or the tray would;
    windriver prints nothing for it, so there is no output to wait for."""
    subprocess.run(["wine", "explorer", f"/desktop={client.desktop}", str(BIN / "windriver.exe"), "post", "XMLWnd",
                    "Velmora", str(message), str(wparam), str(lparam)], check=False, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)


def real_click(x, y):
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=False)
    time.sleep(0.3)


# ---- one client at one scale ----

def run_client(dpi):
    s = lambda value: scale(value, dpi)  # noqa: E731
    desk_w, desk_h = s(1280), s(800)
    site = DemoSite(REPO, OUT)
    client = Client(REPO, BIN, OUT, site, f"velmora-dpi-{dpi}")
    sizes = {}
    try:
        steps(client, site, dpi, s, desk_w, desk_h, sizes)
    finally:
        client.kill()
        site.stop()
        if not no_client_left(20):
            # A run that stopped half-way leaves its client in Wine: end every
            # process of the test's own prefix before the next scale.
            subprocess.run(["wineserver", "-k"], check=False)
            subprocess.run(["wineserver", "-p"], check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return sizes


def steps(client, site, dpi, s, desk_w, desk_h, sizes):
    tag = f"{dpi} DPI:"
    ratio = dpi / 96

    # The login window and the portal window glued to it. (Asking for the
    # windows before the client has made its desktop would make the desktop.)
    check(f"{tag} start-up loads the portal", wait_for(lambda: "/wd/wd-vlmr/index.htm" in site.paths(), 60))
    login = wait_for(lambda: shown(client, "Velmora", s(1080)), 60)
    check(f"{tag} the login window is {s(1080)} x {s(640)}", login and login[1][3] - login[1][1] == s(640),
          client.windows("Velmora"))
    if not login:
        return
    lx, ly = login[1][0], login[1][1]
    check(f"{tag} the login window is centred on the desktop",
          (lx, ly) == (desk_w // 2 - s(1080) // 2, desk_h // 2 - s(640) // 2), login[1])
    portal = wait_for(lambda: shown(client, "LoginBrowser"), 10)
    check(f"{tag} the portal window is {s(630)} x {s(385)} at (+{s(250)}, +{s(198)})",
          portal and portal[1] == (lx + s(250), ly + s(198), lx + s(250) + s(630), ly + s(198) + s(385)),
          (portal, login))
    sizes["login"] = login[1]
    sizes["portal"] = portal[1] if portal else None
    reports = wait_for(lambda: screen_reports(site, "portal"), 60)
    check(f"{tag} the portal page renders at devicePixelRatio {ratio:g}, 630 CSS pixels wide",
          reports and abs(reports[-1][0] - ratio) < 0.01 and abs(reports[-1][1] - 630) <= 1, reports)
    sizes["portal_page"] = reports[-1] if reports else None
    time.sleep(2)  # the portal paints and focuses its field
    # Typed keys reach the portal's account field (the page selects it).
    client.type(f"dpi{dpi}")
    if dpi in SCREENSHOTS:
        screenshot(client, f"login-{SCREENSHOTS[dpi]}", login[1])

    # Return signs in under the typed name and hands over to the game.
    client.key("Return")
    check(f"{tag} the typed name and Return reach the portal and log in",
          wait_for(lambda: [p for p in site.paths() if p.startswith(f"/g/velmoLogin?user=dpi{dpi}&")], 30),
          site.paths()[-3:])

    # The game window fills the work area; the browser sits below the top bar.
    game = wait_for(lambda: shown(client, "Velmora", desk_w), 20)
    check(f"{tag} the game window covers the work area ({desk_w} x {desk_h})",
          game and game[1] == (0, 0, desk_w, desk_h), client.windows("Velmora"))
    if not game:
        return
    hwnd = game[0]
    sizes["game"] = game[1]
    wait_for(lambda: "/pnox_cdn/img/banner.png" in site.paths(), 20)
    time.sleep(2)
    before = keys_seen(site)
    client.key("a", "b", "c")
    check(f"{tag} key presses reach the game page without a click",
          wait_for(lambda: keys_seen(site) - before >= 3, 10), keys_seen(site) - before)

    # The top bar's buttons from the right: close, maximise, minimise (46
    # each), a separator (1 with 6 either side), full screen, boss key (40).
    mid_y = s(16)
    right = desk_w - 3 * s(46) - s(6) - s(1) - s(6)
    full_x, boss_x, min_x, close_x = right - s(40) // 2, right - s(40) - s(40) // 2, desk_w - 2 * s(46) - s(46) // 2, \
        desk_w - s(46) // 2

    # Full screen with its button; the bar, and the bar's own button.
    real_click(full_x, mid_y)
    bar = wait_for(lambda: shown(client, "FormGame"), 5)
    if bar:
        # Click its button while it is pulled down (it slides up after 3 s).
        b = bar[1]
        real_click(b[0] + s(210) - s(4) - s(1) - s(30) // 2, b[1] + s(34) // 2)
    check(f"{tag} the full-screen button shows the bar, {s(210)} x {s(34)} at the top centre",
          bar and bar[1] == ((desk_w - s(210)) // 2, 0, (desk_w - s(210)) // 2 + s(210), s(34)), bar)
    sizes["bar"] = bar[1] if bar else None
    back = wait_for(lambda: shown(client, "Velmora", desk_w) and not client.visible("FormGame") and
                    shown(client, "Velmora", desk_w), 10)
    check(f"{tag} the bar's button ends full screen: the bar goes, the window is back",
          back and back[1] == (0, 0, desk_w, desk_h), back)
    # Laid out again on the way back: the browser below the top bar, inset by
    # the frame, and the page as wide in CSS pixels as at 100%.
    inner = [line.split() for line in client.drive("children", hwnd).splitlines() if "CefBrowserWindow" in line]
    expected = (s(2), s(32), desk_w - s(1), desk_h - s(2))
    check(f"{tag} the game browser is inset to {expected}",
          inner and tuple(map(int, inner[0][2:6])) == expected, inner)
    sizes["game_browser"] = tuple(map(int, inner[0][2:6])) if inner else None
    css_width = (desk_w - s(3)) / ratio
    reports = wait_for(lambda: [r for r in screen_reports(site, "game") if abs(r[1] - css_width) <= 1], 10) or \
        screen_reports(site, "game")
    check(f"{tag} the game page renders at devicePixelRatio {ratio:g}, {round(css_width)} CSS pixels wide",
          reports and abs(reports[-1][0] - ratio) < 0.01 and abs(reports[-1][1] - css_width) <= 1, reports)
    sizes["game_page"] = reports[-1] if reports else None
    before = keys_seen(site)
    client.key("d", "e")
    check(f"{tag} after full screen, keys reach the page", wait_for(lambda: keys_seen(site) - before >= 2, 10),
          keys_seen(site) - before)
    if dpi in SCREENSHOTS:
        screenshot(client, f"game-{SCREENSHOTS[dpi]}", game[1])

    # Minimise, then restore as the taskbar would.
    real_click(min_x, mid_y)
    check(f"{tag} the minimise button minimises the game", wait_for(lambda: not shown(client, "Velmora", desk_w), 10))
    post(client, WM_SYSCOMMAND, SC_RESTORE, 0)
    check(f"{tag} the game window is restored", wait_for(lambda: shown(client, "Velmora", desk_w), 10))

    # The boss key, and the tray icon's click (its callback message).
    real_click(boss_x, mid_y)
    check(f"{tag} the boss key hides the game", wait_for(lambda: not shown(client, "Velmora", desk_w), 10))
    post(client, WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONUP)
    check(f"{tag} the tray click brings it back", wait_for(lambda: shown(client, "Velmora", desk_w), 10))
    time.sleep(0.5)
    before = keys_seen(site)
    client.key("f", "g")
    check(f"{tag} after the tray, keys reach the page", wait_for(lambda: keys_seen(site) - before >= 2, 10),
          keys_seen(site) - before)

    # The game's close button brings the login window back.
    real_click(close_x, mid_y)
    login = wait_for(lambda: shown(client, "Velmora", s(1080)), 10)
    check(f"{tag} the game's close button brings the login window back", login)
    if not login:
        return
    lx, ly = login[1][0], login[1][1]

    # A real drag of the caption moves the login window; the portal follows.
    grab = (lx + s(300), ly + s(20))
    subprocess.run(["xdotool", "mousemove", str(grab[0]), str(grab[1]), "mousedown", "1", "sleep", "0.2",
                    "mousemove", str(grab[0] + s(20)), str(grab[1] + s(15)), "sleep", "0.2",
                    "mousemove", str(grab[0] + s(40)), str(grab[1] + s(30)), "sleep", "0.2", "mouseup", "1"],
                   check=False)
    def moved_login():
        now = shown(client, "Velmora", s(1080))
        return now if now and now[1][:2] != (lx, ly) else None
    moved = wait_for(moved_login, 5)
    check(f"{tag} dragging the caption moves the login window", moved, login)
    if moved:
        login = moved
        portal = shown(client, "LoginBrowser")
        check(f"{tag} the portal window follows at (+{s(250)}, +{s(198)})",
              portal and portal[1][:2] == (login[1][0] + s(250), login[1][1] + s(198)), (portal, moved))

    # The login window's close button ends the client.
    real_click(login[1][2] - s(46) // 2, login[1][1] + s(20))
    code = client.wait(60)
    check(f"{tag} the login window's close button ends the client with exit code 0", code == 0, code)
    check(f"{tag} no client process is left", no_client_left(), client_command_lines())


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    xvfb = start_xvfb()
    measured = {}
    try:
        prepare_prefix()
        for dpi in SCALES:
            set_dpi(dpi)
            # The same logical screen at every scale: 1280 x 800 at 100%.
            os.environ["VELMORA_DESKTOP_SIZE"] = f"{scale(1280, dpi)}x{scale(800, dpi)}"
            if dpi != 96:
                run_gtest("windows_test.exe", "AtTheSystemDpi*:TrayIcon*:FullScreenMode*", dpi)
                run_gtest("duilib_test.exe", "Dpi*", dpi)
            started = time.time()
            measured[dpi] = run_client(dpi)
            print(f"     {dpi} DPI: client run {time.time() - started:.0f} s, {measured[dpi]}", flush=True)
    finally:
        set_dpi(96)
        subprocess.run(["wineserver", "-k"], check=False)  # the test's own prefix
        xvfb.terminate()
        xvfb.wait()
    return check.summary()


if __name__ == "__main__":
    sys.exit(main())
