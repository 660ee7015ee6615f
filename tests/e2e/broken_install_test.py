#!/usr/bin/env python3
"""A broken install: velmora.exe with FormGame.xml or FormFullScreen.xml
missing or cut in half. The client must not crash: without the game's
layout the game does not open and the login window stays usable; without
the bar's layout the full-screen button does nothing and the keyboard stays
with the game page; closing the login window ends the client with exit
code 0 and leaves no process behind.

Each case runs in a fresh folder that links everything of BIN_DIR but the
skin folder, which is a copy with the one file broken.
  broken_install_test.py BIN_DIR REPO_DIR
"""
import os
import pathlib
import shutil
import sys
import tempfile
import time

from client_driver import Checks, Client, DemoSite, client_command_lines, no_client_left, wait_for

BIN = pathlib.Path(sys.argv[1]).resolve()
REPO = pathlib.Path(sys.argv[2]).resolve()
OUT = REPO / "build" / "test-results" / "e2e-broken-install"
PORTAL = "/wd/wd-vlmr/index.htm"
PLAY = (115, 563)
SIGN_IN = (505, 185)  # the portal's "Sign in" button, in the login browser window
check = Checks()


def install(folder, layout, damage):
    """Lays out a client folder whose skin lacks |layout| or holds half of it."""
    for entry in BIN.iterdir():
        if entry.name not in ("skin", "cache", "crashes"):
            (folder / entry.name).symlink_to(entry)
    shutil.copytree(BIN / "skin", folder / "skin")
    broken = folder / "skin" / layout
    if damage == "missing":
        broken.unlink()
    else:
        text = broken.read_bytes()
        broken.write_bytes(text[:len(text) // 2])


def keys_seen(site):
    return len([p for p in site.paths() if p.startswith("/keys?")])


def started(client, site, what):
    # The portal's request shows that the client's desktop exists: windriver
    # must not be the one that makes it.
    check(f"{what}: start-up loads the portal", wait_for(lambda: PORTAL in site.paths(), 60))
    check(f"{what}: the login window is shown", wait_for(client.login_window, 20))


def without_the_game(client, site, what):
    started(client, site, what)
    time.sleep(3)  # the portal has loaded
    for attempt in (1, 2):
        client.click("Velmora", *PLAY)
        time.sleep(3)
        check(f"{what}: play {attempt}: no game window opens", not client.game_window())
        check(f"{what}: play {attempt}: the login window is back", client.login_window())
        check(f"{what}: play {attempt}: the login browser window is back", client.visible("LoginBrowser"))
        check(f"{what}: play {attempt}: the client still runs", client.process.poll() is None)
    # The portal still answers the player: its sign-in hands over once more,
    # which loads the portal again (and, without a game window, nothing else).
    before = site.paths().count(PORTAL)
    client.click("LoginBrowser", *SIGN_IN)
    check(f"{what}: the portal's sign-in hands over again",
          wait_for(lambda: site.paths().count(PORTAL) > before, 30), site.paths()[-3:])
    check(f"{what}: after the sign-in the login window is back", wait_for(client.login_window, 10))
    client.screenshot(f"{what}-login")


def without_the_bar(client, site, what):
    started(client, site, what)
    time.sleep(3)
    client.click("LoginBrowser", *SIGN_IN)
    game = wait_for(client.game_window, 30)
    check(f"{what}: the game window opens", game)
    if not game:
        return
    hwnd, rect = game
    width = rect[2] - rect[0]
    style = client.style(hwnd)
    wait_for(lambda: "/g/velmoLogin" in " ".join(site.paths()), 10)
    time.sleep(3)  # the game page has loaded
    client.click("Velmora", width - 171, 16)  # the full-screen button
    time.sleep(2)
    check(f"{what}: the full-screen button leaves the window as it was", client.game_window() == (hwnd, rect),
          client.visible("Velmora"))
    check(f"{what}: the window keeps its style", client.style(hwnd) == style, hex(client.style(hwnd)))
    check(f"{what}: no full-screen bar appears", not client.windows("FormGame"))
    before = keys_seen(site)
    client.key("a", "b", "c")
    check(f"{what}: keys still reach the game page without a click",
          wait_for(lambda: keys_seen(site) - before >= 3, 10), f"{keys_seen(site) - before} of 3")
    client.screenshot(f"{what}-game")
    client.click("Velmora", width - 23, 16)
    check(f"{what}: closing the game shows the login again", wait_for(client.login_window, 10))


def run_case(layout, damage, steps):
    what = f"{layout} {damage}"
    with tempfile.TemporaryDirectory(prefix="velmora-broken-") as folder:
        folder = pathlib.Path(folder)
        install(folder, layout, damage)
        out = OUT / what.replace(" ", "-")
        out.mkdir(parents=True, exist_ok=True)
        site = DemoSite(REPO, out)
        client = None
        try:
            client = Client(REPO, folder, out, site, f"velmora-broken-{os.getpid()}-{len(check.results)}")
            steps(client, site, what)
            client.click("Velmora", 1057, 20)  # the login window's close button
            code = client.wait(60)
            check(f"{what}: closing the login window ends the client with exit code 0", code == 0, code)
            check(f"{what}: no client process is left", no_client_left(), client_command_lines())
        finally:
            if client:
                client.kill()
            site.stop()


def main():
    started = time.time()
    for damage in ("missing", "truncated"):
        run_case("FormGame.xml", damage, without_the_game)
        run_case("FormFullScreen.xml", damage, without_the_bar)
    print(f"(took {time.time() - started:.1f} s)")
    return check.summary()


if __name__ == "__main__":
    sys.exit(main())
