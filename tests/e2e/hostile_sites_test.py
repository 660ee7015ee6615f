#!/usr/bin/env python3
"""The browsers show only the operator's sites: the real velmora.exe under
Wine against the demo site in its hostile mode (demo/site.py --hostile).

A man in the middle's script in the portal and the game page tries, one
armed step at a time, what a hostile page would: foreign frames that read
the typed password, XHR and fetch to foreign hosts and to a service on
127.0.0.1, WebSockets, foreign scripts and images, navigations by script, meta
refresh, HTTP redirect, form, look-alike host, user info and the operator's
host in the path, the login marker on a foreign host and in a frame, a flood
of window.open, and a foreign link that the player clicks. The site answers
every foreign host through the same proxy and logs what reaches it; the
pages report to their own site what they could read. Then the operator's
own road: the login marker, the game, its assets, F11, a popup after a
click, and the play button's test login.

  hostile_sites_test.py BIN_DIR REPO_DIR
"""
import os
import pathlib
import sys
import time
import urllib.parse
import urllib.request

from client_driver import Checks, run_one_client, wait_for

BIN = pathlib.Path(sys.argv[1]).resolve()
REPO = pathlib.Path(sys.argv[2]).resolve()
OUT = REPO / "build" / "test-results" / "e2e-hostile"
SECRET = "typed-Secret-77"
check = Checks()


def opened_urls():
    path = pathlib.Path(os.environ["VELMORA_URL_LOG"])
    return path.read_text().splitlines() if path.exists() else []


class Hostile:
    """Arms the pages' steps and reads their reports and the site's log."""

    def __init__(self, site):
        self.site = site
        self.port = int(site.proxy.rsplit(":", 1)[1])

    def arm(self, page, step):
        # Straight to the site, not through the client.
        url = f"http://127.0.0.1:{self.port}/hostile/arm?step={page}:{step}"
        urllib.request.urlopen(url, timeout=10).read()

    def report(self, page, step, seconds=30):
        def find():
            for path in self.site.paths():
                if path.startswith("/hostile/report?"):
                    query = urllib.parse.parse_qs(path.split("?", 1)[1], keep_blank_values=True)
                    fields = {k: v[0] for k, v in query.items()}
                    if fields.get("page") == page and fields.get("step") == step:
                        return fields
            return None
        return wait_for(find, seconds) or {}

    def foreign_requests(self):
        """Requests of the pages' attacks that reached a foreign host or the
        local service: the client let something out. (Chromium's own
        background requests, such as its spelling dictionary, are no page's.)"""
        return [p for p in self.site.requests()
                if " //" in p and "/hostile/arm?" not in p and ("evil.example" in p or "//127.0.0.1" in p)]


def unread(value):
    """What a page got from a refused request: nothing it could read."""
    return bool(value) and not value.startswith("read:") and value != "pending"


def main():
    return run_one_client(REPO, BIN, OUT, f"velmora-hostile-{os.getpid()}", run_steps, check,
                          site_options=["--hostile"])


def run_steps(client, site):
    hostile = Hostile(site)
    portal = "http://www.velmora.example/wd/wd-vlmr/index.htm"

    check("the portal loads with the man in the middle's script",
          wait_for(lambda: "/hostile/inject.js" in site.paths(), 60), site.requests()[-5:])
    check("the login window is shown", wait_for(client.login_window, 20))
    time.sleep(3)

    # The player types a password into the portal.
    hostile.arm("portal", "typing")
    check("the portal's password field takes the keyboard", hostile.report("portal", "typing").get("focused") == "pass")
    client.type(SECRET)

    # 1. Foreign frames do not load, so they cannot read it.
    hostile.arm("portal", "frames")
    frames = hostile.report("portal", "frames")
    check("the password typed into the portal is there (the page reports it to its own site)",
          frames.get("typed") == SECRET, frames)
    for name in ("evil", "lookalike", "userinfo", "local"):
        check(f"a frame of a foreign host ({name}) shows nothing", "EVIL" not in frames.get(f"frame_{name}", "EVIL"),
              frames)
    check("no request for a foreign frame reached any host", not hostile.foreign_requests(),
          hostile.foreign_requests())
    check("the password reached no foreign host", not [r for r in site.requests() if SECRET in r and "report" not in r])
    # The login marker in a frame of the operator's own site: it loads, but
    # it is no login.
    check("a marker URL in a frame loads as a frame",
          wait_for(lambda: any("from=frame" in p for p in site.paths()), 10))
    time.sleep(2)
    check("a marker URL in a frame opens no game", not client.game_window() and client.login_window())

    # 2. XHR, fetch, scripts, images and style sheets of foreign hosts and of
    # the player's own machine read nothing; the operator's own data does.
    hostile.arm("portal", "requests")
    got = hostile.report("portal", "requests")
    for name in ("xhr_evil", "fetch_evil", "xhr_local", "fetch_local", "xhr_lookalike", "xhr_redirect"):
        check(f"portal: {name} reads nothing", unread(got.get(name, "")), got.get(name))
    check("portal: XHR to its own site still reads", got.get("xhr_own") == "read:200:own data", got.get("xhr_own"))
    for name in ("script_evil", "image_evil", "style_evil"):
        check(f"portal: {name} does not load", got.get(name) == "error", got.get(name))
    check("portal: the foreign script never ran", got.get("evil_script_ran") == "no", got)
    check("portal: the redirect was asked of the operator's site",
          any(p.startswith("/hostile/redirect?to=http%3A%2F%2Fevil.example%2Fcollect") for p in site.paths()))
    check("portal: no request reached a foreign host or the local service", not hostile.foreign_requests(),
          hostile.foreign_requests())

    # 3. WebSockets (which CEF never offers to the request policy) to a
    # foreign host or the local service throw before connecting, also when
    # fetched back from a fresh frame or the prototype, or opened in a worker
    # made from the page's own text; the operator's own may connect.
    hostile.arm("portal", "sockets")
    got = hostile.report("portal", "sockets")
    for name in ("ws_evil", "ws_local", "ws_lookalike", "ws_frame", "ws_prototype"):
        check(f"portal: WebSocket {name} is refused", got.get(name) == "threw", got.get(name))
    check("portal: a worker from a blob does not run", got.get("worker") == "error", got.get("worker"))
    check("portal: a WebSocket to the operator's own site may be made", got.get("ws_own") in ("error", "open", "pending"),
          got.get("ws_own"))
    check("portal: no connection reached a foreign host or the local service", not hostile.foreign_requests(),
          hostile.foreign_requests())

    # 4. The page cannot be led away: script, meta refresh, redirect,
    # user info, look-alike, host in the path, local service, data: page,
    # form, and the login marker on a foreign host.
    hostile.arm("portal", "navigate")
    stayed = hostile.report("portal", "navigate", 60)
    check("portal: every foreign navigation leaves the portal where it was", stayed.get("stayed") == portal, stayed)
    check("portal: no navigation reached a foreign host", not hostile.foreign_requests(), hostile.foreign_requests())
    check("portal: the redirect was asked of the operator's site",
          any(p.startswith("/hostile/redirect?to=http%3A%2F%2Fevil.example%2Fphish") for p in site.paths()))
    check("portal: the marker on a foreign host opens no game", not client.game_window() and client.login_window())
    check("portal: nothing went to the system browser",
          not [u for u in opened_urls() if "evil.example" in u], opened_urls())
    client.screenshot("1-portal-after-attacks")

    # 5. A flood of window.open reaches the system browser only a few times.
    before = len(opened_urls())
    hostile.arm("portal", "flood")
    hostile.report("portal", "flood")
    time.sleep(6)
    flood = [u for u in opened_urls()[before:] if "/popup?" in u and "page=portal" in u]
    check("portal: a loop of 30 window.open hands out at most 3", 1 <= len(flood) <= 3, flood)
    check("portal: no popup window opens", not client.drive("list", "CefBrowserWindow", "-").strip())

    # 6. A foreign link that the player clicks opens in the system browser.
    hostile.arm("portal", "link")
    check("portal: the foreign link is in place", hostile.report("portal", "link").get("placed") == "yes")
    time.sleep(1)
    client.click("LoginBrowser", 60, 30)
    clicked = wait_for(lambda: [u for u in opened_urls()
                                if u == "http://www.velmora.example.evil.example/clicked?page=portal"], 20)
    check("portal: the clicked foreign link reaches the system browser", clicked, opened_urls()[-5:])
    after = hostile.report("portal", "link-after")
    check("portal: and the portal stays", after.get("stayed") == portal, after)
    check("portal: the clicked link was not loaded in the client", not hostile.foreign_requests(),
          hostile.foreign_requests())

    # 7. The operator's own road: the login marker opens the game, whose
    # assets and data come from the operator's CDN.
    client.click("LoginBrowser", 505, 185)
    check("the sign-in's marker navigation reaches the game page",
          wait_for(lambda: [p for p in site.paths() if p.startswith("/g/velmoLogin?") and "&loginType=5" in p], 30),
          site.paths()[-5:])
    check("the game window opens", wait_for(client.game_window, 20))
    check("the game page's assets and data load from the CDN",
          wait_for(lambda: {"/pnox_cdn/img/banner.png", "/pnox_cdn/data/realm.xml"} <= set(site.paths()), 20))
    check("the game page carries the man in the middle's script too",
          wait_for(lambda: site.paths().count("/hostile/inject.js") >= 2, 20))
    time.sleep(3)
    client.screenshot("2-game")

    # 8. The game page cannot read foreign hosts or be led away either.
    hostile.arm("game", "requests")
    got = hostile.report("game", "requests")
    for name in ("xhr_evil", "fetch_evil", "xhr_local", "fetch_local", "xhr_redirect"):
        check(f"game: {name} reads nothing", unread(got.get(name, "")), got.get(name))
    check("game: XHR to its own site still reads", got.get("xhr_own") == "read:200:own data", got.get("xhr_own"))
    hostile.arm("game", "sockets")
    got = hostile.report("game", "sockets")
    check("game: WebSockets to foreign hosts and the local service are refused",
          all(got.get(n) == "threw" for n in ("ws_evil", "ws_local", "ws_frame", "ws_prototype")), got)
    hostile.arm("game", "navigate")
    stayed = hostile.report("game", "navigate", 60)
    check("game: every foreign navigation leaves the game page where it was",
          stayed.get("stayed", "").startswith("http://game.velmora.example/g/velmoLogin?"), stayed)
    check("game: the window is still the game", client.game_window() and not client.login_window())
    check("game: no request reached a foreign host or the local service", not hostile.foreign_requests(),
          hostile.foreign_requests())

    before = len(opened_urls())
    hostile.arm("game", "flood")
    hostile.report("game", "flood")
    time.sleep(6)
    flood = [u for u in opened_urls()[before:] if "/popup?" in u and "page=game" in u]
    check("game: a loop of 30 window.open hands out at most 3", 1 <= len(flood) <= 3, flood)

    # 9. After the flood, a popup after a click still goes (the page's guide
    # button), and a clicked foreign link leaves the client.
    client.click("Velmora", 500, 262)
    check("game: a popup after a click reaches the system browser",
          wait_for(lambda: "http://www.velmora.example/news.html?from=script" in opened_urls(), 20),
          opened_urls()[-5:])
    hostile.arm("game", "link")
    hostile.report("game", "link")
    time.sleep(1)
    client.click("Velmora", 62, 62)
    check("game: the clicked foreign link reaches the system browser",
          wait_for(lambda: "http://www.velmora.example.evil.example/clicked?page=game" in opened_urls(), 20),
          opened_urls()[-5:])
    after = hostile.report("game", "link-after")
    check("game: and the game page stays", after.get("stayed", "").startswith("http://game.velmora.example/"), after)

    # 10. F11 reloads the game page.
    loads = lambda: len([p for p in site.paths() if p.startswith("/g/velmoLogin?") and "&loginType=5" in p])
    before = loads()
    client.click("Velmora", 702, 532)
    client.key("F11")
    check("F11 reloads the game page", wait_for(lambda: loads() > before, 20))

    # 11. The play button's test login opens a game window on the test login page.
    hwnd, rect = client.game_window() or (0, (0, 0, 0, 0))
    client.click("Velmora", rect[2] - rect[0] - 23, 16)
    check("closing the game shows the login again", wait_for(client.login_window, 10))
    client.click("Velmora", 115, 563)
    check("the play button opens the test login page",
          wait_for(lambda: [r for r in site.requests() if r.startswith("https GET /swtest.html&loginType=5")], 30))
    check("a game window opens for it", wait_for(client.game_window, 20))
    check("nothing at all reached a foreign host during the run", not hostile.foreign_requests(),
          hostile.foreign_requests())
    hwnd, rect = client.game_window() or (0, (0, 0, 0, 0))
    client.close_with_buttons(check, rect[2] - rect[0])


if __name__ == "__main__":
    sys.exit(main())
