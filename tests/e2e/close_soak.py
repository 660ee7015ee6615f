#!/usr/bin/env python3
"""Closing the client never crashes it: N runs of each way of closing.

A crash that comes once in ten closes passes most single runs, so this
starts the client again and again and closes it each time as a player
would, once the portal is shown: the login window's close button, WM_CLOSE
(what the taskbar sends) and a real Alt+F4 in the portal. It prints the
exit codes of each way and ends with the usual "N passed, N failed" line.
scripts/test.sh runs it with two runs of each; for the figures of a
change, run it with more (VELMORA_SOAK_RUNS, and VELMORA_SOAK_WAYS to pick
ways):
  VELMORA_SOAK_RUNS=30 VELMORA_CTEST_ARGS="-R e2e_close_soak" scripts/test.sh
  close_soak.py BIN_DIR REPO_DIR
"""
import collections
import itertools
import os
import pathlib
import sys
import time

from client_driver import CLOSINGS, Checks, Client, DemoSite, no_client_left, wait_for

BIN = pathlib.Path(sys.argv[1]).resolve()
REPO = pathlib.Path(sys.argv[2]).resolve()
RUNS = int(os.environ.get("VELMORA_SOAK_RUNS", "2"))
WAYS = os.environ.get("VELMORA_SOAK_WAYS", " ".join(CLOSINGS)).split()
OUT = REPO / "build" / "test-results" / "e2e-close-soak"
PORTAL = "GET /wd/wd-vlmr/index.htm"
check = Checks()
delays = itertools.cycle([0, 0.7, 2.5])


def close_once(site, way):
    """Starts a client, closes it one way; returns its exit code (None: hung)."""
    before = sum(PORTAL in r for r in site.requests())
    client = Client(REPO, BIN, OUT, site, "velmora-soak")
    try:
        wait_for(lambda: sum(PORTAL in r for r in site.requests()) > before, 90)
        wait_for(client.login_window, 30)
        # Players close at any moment: while the portal still loads, and
        # once it holds the keyboard (which Alt+F4 needs to reach the client).
        time.sleep(2.5 if way == "Alt+F4" else next(delays))
        client.close_login(way)
        code = client.wait(60)
        no_client_left()
        return code
    finally:
        client.kill()


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    site = DemoSite(REPO, OUT)
    codes = collections.defaultdict(list)
    try:
        for _ in range(RUNS):
            for way in WAYS:
                codes[way].append(close_once(site, way))
    finally:
        site.stop()
    for way in WAYS:
        bad = [c for c in codes[way] if c != 0]
        shown = ", ".join("hung" if c is None else hex(c & 0xFFFFFFFF) for c in bad)
        check(f"{way}: {len(codes[way]) - len(bad)} of {len(codes[way])} closes end with exit code 0", not bad, shown)
    return check.summary()


if __name__ == "__main__":
    sys.exit(main())
