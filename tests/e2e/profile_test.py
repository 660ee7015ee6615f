#!/usr/bin/env python3
"""Two clients from one folder keep the player's profile.

Client A starts in a fresh working folder, and the portal gives it a
persistent cookie. Client B starts from the same folder while A runs. Both
close; client C starts from that folder again. C's portal request must carry
A's cookie, and Chromium must not have moved any profile aside (old_cache_*).
Each client runs in a Wine desktop of its own.
  profile_test.py BIN_DIR REPO_DIR
"""
import pathlib
import shutil
import sqlite3
import sys
import time

from client_driver import Checks, Client, DemoSite, client_processes, no_client_left, wait_for

BIN = pathlib.Path(sys.argv[1]).resolve()
REPO = pathlib.Path(sys.argv[2]).resolve()
OUT = REPO / "build" / "test-results" / "e2e-profile"
WORK = OUT / "player"
PORTAL = "/wd/wd-vlmr/index.htm"
check = Checks()


def portal_requests(site):
    return [line for line in site.requests() if f"GET {PORTAL}" in line]


def cookie_of(line):
    return line.split("\tcookie: ", 1)[1] if "\tcookie: " in line else ""


def start(site, name):
    """Starts a client from the player's folder and waits for its portal."""
    before = len(portal_requests(site))
    client = Client(REPO, BIN, OUT, site, f"velmora-profile-{name}", cwd=WORK)
    seen = wait_for(lambda: len(portal_requests(site)) > before, 60)
    check(f"client {name} loads the portal", seen)
    wait_for(client.login_window, 20)
    return client, (portal_requests(site)[before] if seen else "")


def stored_cookies():
    """name=value of each cookie in the profile's cookie store on disk."""
    try:
        with sqlite3.connect(f"file:{WORK / 'cache' / 'Cookies'}?mode=ro", uri=True) as db:
            return sorted(f"{name}={value}" for name, value in db.execute("select name, value from cookies"))
    except sqlite3.Error as error:
        return [str(error)]


def close(client, name):
    # WM_CLOSE to the login window, as the taskbar's Close sends it.
    client.drive("close", "XMLWnd", "Velmora")
    code = client.wait(60)
    check(f"client {name} ends with exit code 0", code == 0, code)


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    WORK.mkdir(parents=True)
    site = DemoSite(REPO, OUT)
    clients = []
    try:
        a, first = start(site, "A")
        clients.append(a)
        check("A's first portal request brings no cookie", not cookie_of(first), first)
        time.sleep(3)  # the cookie is set with the page
        b, second = start(site, "B")
        clients.append(b)
        check("B, beside A, starts without A's profile", "visitor=1" not in cookie_of(second), second)
        close(b, "B")
        close(a, "A")
        check("no client process is left", no_client_left(), client_processes())
        check("A's cookie is in the profile on disk once A has closed", "visitor=1" in stored_cookies(),
              stored_cookies())

        c, third = start(site, "C")
        clients.append(c)
        check("C's portal request carries the cookie A was given", "visitor=1" in cookie_of(third), third)
        close(c, "C")
        aside = sorted(p.name for p in WORK.iterdir() if p.name.startswith("old_cache"))
        check("no profile was moved aside", not aside, aside)
        check("the cache folder is under the working folder", (WORK / "cache").is_dir())
    finally:
        for client in clients:
            client.kill()
        site.stop()
    return check.summary()


if __name__ == "__main__":
    sys.exit(main())
