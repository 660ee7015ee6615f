#!/usr/bin/env python3
"""Pages come back by themselves: after a site that does not answer, and
after a renderer that dies. The real client under Wine against the demo
site, which refuses or stalls a host when this test tells it to
(demo/site.py --control). What the pages show is read through DevTools.

The network: the portal refused at start-up and answering 10 s later; a
portal that takes the connection and never answers (reloaded with F11, it
fails at the 30 s load deadline); the game host refused during a reload
(F11) and answering 10 s later. Each time the error page keeps its text,
says that it tries again and links to the page; the page comes back with no
click, and the waits between tries grow.

Renderers: under Wine each renderer is a Linux process with --type=renderer
on its command line; the game's is told from the portal's by when it
appeared. It is ended from inside Wine (windriver end-renderer) as the task
manager ends a process: ended from Linux it would leave exit code 0, which
Chromium takes for a normal end and reports to nobody. The game's renderer
ended once comes back; ended twice more within a minute it ends on the page
that says the game stopped, and F11 there brings the game back. The
portal's comes back too. Keys typed with xdotool reach each page that came
back, without a click.
  recovery_test.py BIN_DIR REPO_DIR
"""
import os
import pathlib
import sys
import time

import devtools
from client_driver import Checks, client_processes, run_one_client, wait_for

BIN = pathlib.Path(sys.argv[1]).resolve()
REPO = pathlib.Path(sys.argv[2]).resolve()
OUT = REPO / "build" / "test-results" / "e2e-recovery"
PORTAL_HOST = "www.velmora.example"
GAME_HOST = "game.velmora.example"
PORTAL = "/wd/wd-vlmr/index.htm"
PORTAL_URL = f"http://{PORTAL_HOST}{PORTAL}"
GAME = "/g/velmoLogin"
DEVTOOLS_PORT = devtools.free_port()
check = Checks()


# ---- the site's log ----

def served(site, path):
    """Requests for |path| that the site answered."""
    return [line for line in site.requests() if f" {path}" in line and "\tre" not in line and "\tst" not in line]


def cut_times(site, path, kind):
    """When requests for |path| were refused or stalled (site seconds)."""
    return [float(line.rsplit(" ", 1)[1]) for line in site.requests() if f" {path}" in line and f"\t{kind} " in line]


def keys_seen(site):
    return len([p for p in site.paths() if p.startswith("/keys?")])


# ---- the pages ----

def page_text(url_part):
    return devtools.evaluate(DEVTOOLS_PORT, url_part, "document.body ? document.body.innerText : ''") or ""


def link_target(url_part, link_id):
    return devtools.evaluate(DEVTOOLS_PORT, url_part,
                             f"(document.getElementById('{link_id}') || {{}}).href || ''") or ""


# ---- renderers ----

def renderers():
    """This prefix's renderer processes: pid -> (start tick, channel token)."""
    found = {}
    for pid in client_processes():
        try:
            line = pathlib.Path(f"/proc/{pid}/cmdline").read_bytes().replace(b"\0", b" ").decode(errors="replace")
            started = int(pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()[19])
        except (OSError, ValueError, IndexError):
            continue
        channel = [arg for arg in line.split() if arg.startswith("--channel=")]
        if "--type=renderer" in line and channel:
            # The channel's last part is the random one; Wine's command
            # line keeps it whole.
            found[int(pid)] = (started, channel[0].rsplit("\\", 1)[-1])
    return found


def newest_renderer(exclude=()):
    live = {pid: info for pid, info in renderers().items() if pid not in exclude}
    return max(live, key=lambda pid: live[pid][0]) if live else None


def end_renderer(client, pid):
    """Ends one renderer as the task manager does; true when it is gone."""
    info = renderers().get(pid)
    if not info:
        return False
    client.drive("end-renderer", info[1])
    return wait_for(lambda: pid not in renderers(), 10)


def press_and_count(client, site, names, what):
    before = keys_seen(site)
    client.key(*names)
    wait_for(lambda: keys_seen(site) - before >= len(names), 10)
    got = keys_seen(site) - before
    check(f"{what}: {len(names)} of {len(names)} keys reach the page without a click", got == len(names),
          f"{got} of {len(names)}")


def main():
    # The portal host refuses from the client's first request on.
    return run_one_client(REPO, BIN, OUT, f"velmora-recovery-{os.getpid()}", run_steps, check, control=True,
                          extra_flags=[f"--remote-debugging-port={DEVTOOLS_PORT}"],
                          before_start=lambda site: site.command(f"refuse {PORTAL_HOST} 10"))


def run_steps(client, site):
    # 1. The portal refused at start-up comes back by itself.
    check("start-up asks for the portal and is refused", wait_for(lambda: cut_times(site, PORTAL, "refused"), 60))
    text = wait_for(lambda: "Trying again in" in page_text(PORTAL) and page_text(PORTAL), 15)
    check("the portal's error page keeps its text and says that it tries again",
          text and f"Failed to load URL {PORTAL_URL} with error" in text, text)
    check("the error page links to the portal, to try again now", link_target(PORTAL, "retry") == PORTAL_URL,
          link_target(PORTAL, "retry"))
    client.screenshot("1-portal-refused")
    check("the portal comes back once its host answers, with no click", wait_for(lambda: served(site, PORTAL), 40),
          site.requests()[-4:])
    refused = cut_times(site, PORTAL, "refused")
    # The waits themselves are the unit tests' business; here they are told.
    print(f"     refused at {refused} (site seconds)", flush=True)
    check("the portal was tried again by itself while refused", len(refused) >= 2, refused)
    check("the login window is shown", wait_for(client.login_window, 20))
    time.sleep(2)

    # 2. F11 reloads the portal; a server that never answers fails at the
    # load deadline and comes back when it answers.
    answered = len(served(site, PORTAL))
    site.command(f"stall {PORTAL_HOST} 5")
    client.key("F11")
    check("F11 in the portal asks for the portal again", wait_for(lambda: cut_times(site, PORTAL, "stalled"), 10),
          site.requests()[-3:])
    text = wait_for(lambda: "(-7)" in page_text(PORTAL) and page_text(PORTAL), 45)
    check("a portal that never answers shows the error page after the load deadline",
          text and "ERR_TIMED_OUT" in text and "Trying again in" in text, page_text(PORTAL))
    check("the stalled portal comes back when its host answers, with no click",
          wait_for(lambda: len(served(site, PORTAL)) > answered, 20), site.requests()[-3:])
    time.sleep(2)

    # 3. Log in; the game's renderer is the one that appears with it.
    portal_renderer = newest_renderer()
    client.click("LoginBrowser", 505, 185)
    game = wait_for(client.game_window, 30)
    check("the game window opens", game)
    if not game:
        return
    width = game[1][2] - game[1][0]
    wait_for(lambda: "/pnox_cdn/img/banner.png" in site.paths(), 20)
    time.sleep(2)
    game_renderer = newest_renderer(exclude=[portal_renderer])
    check("the game has a renderer of its own", game_renderer and game_renderer != portal_renderer,
          renderers())
    press_and_count(client, site, ["a", "b", "c"], "the game at first")

    # 4. The game's renderer ends: the game page is loaded again.
    loads = len(served(site, GAME))
    check("the game's renderer is ended", end_renderer(client, game_renderer))
    ended = time.time()
    check("the game page is back within 15 s", wait_for(lambda: len(served(site, GAME)) > loads, 15))
    print(f"     asked for again {time.time() - ended:.1f} s after its renderer ended", flush=True)
    wait_for(lambda: "Aurel welcomes" in page_text(GAME), 10)
    time.sleep(1)
    press_and_count(client, site, ["d", "e", "f"], "after the game's renderer came back")

    # 5. Ended twice more within a minute: the page that says the game
    # stopped, and no reload in between.
    loads = len(served(site, GAME))
    game_renderer = newest_renderer(exclude=[portal_renderer])
    check("the new game renderer is ended", end_renderer(client, game_renderer))
    check("a second end within a minute shows that the game stopped",
          wait_for(lambda: "The game stopped" in page_text(GAME), 15), page_text(GAME))
    check("the stopped page links to the game", GAME in link_target(GAME, "reload"), link_target(GAME, "reload"))
    game_renderer = newest_renderer(exclude=[portal_renderer])
    check("the stopped page's renderer is ended", end_renderer(client, game_renderer))
    time.sleep(1)
    check("a third end shows that the game stopped again",
          wait_for(lambda: "The game stopped" in page_text(GAME), 15), page_text(GAME))
    client.screenshot("5-stopped")
    check("the game page was not asked for again meanwhile", len(served(site, GAME)) == loads,
          site.requests()[-3:])
    check("no renderer is left over: one for the portal, one for the game",
          wait_for(lambda: len(renderers()) == 2, 10), renderers())
    time.sleep(1)
    client.key("F11")
    check("F11 on the stopped page loads the game again", wait_for(lambda: len(served(site, GAME)) > loads, 15))
    wait_for(lambda: "Aurel welcomes" in page_text(GAME), 10)
    time.sleep(1)
    press_and_count(client, site, ["g", "h", "i"], "after F11 on the stopped page")

    # 6. The hidden portal's renderer ends: the portal is loaded again.
    answered = len(served(site, PORTAL))
    check("the portal's renderer is ended", end_renderer(client, portal_renderer))
    check("the portal is back within 15 s", wait_for(lambda: len(served(site, PORTAL)) > answered, 15))

    # 7. The game host refused during a reload: back 10 s later, no click.
    loads = len(served(site, GAME))
    site.command(f"refuse {GAME_HOST} 10")
    client.key("F11")
    check("F11 during the outage is refused", wait_for(lambda: cut_times(site, GAME, "refused"), 10))
    text = wait_for(lambda: "Trying again in" in page_text(GAME) and page_text(GAME), 15)
    check("the game's error page says that it tries again", text and "Failed to load URL" in text, text)
    client.screenshot("7-game-refused")
    check("the game comes back once its host answers, with no click",
          wait_for(lambda: len(served(site, GAME)) > loads, 40), site.requests()[-3:])
    wait_for(lambda: "Aurel welcomes" in page_text(GAME), 10)
    time.sleep(1)
    press_and_count(client, site, ["j", "k", "l"], "after the game came back")

    client.close_with_buttons(check, width)


if __name__ == "__main__":
    sys.exit(main())
