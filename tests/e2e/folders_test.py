#!/usr/bin/env python3
"""Any folder a player can have keeps the player's profile on disk.

The client is started, as a shortcut starts it, from folders whose names no
ANSI code page holds: "C:\\Игры\\Velmora Ω" and the default install folder of
a player named "Jürgen". In each, the portal gives the first run a
persistent cookie and the second run must send it back, and the cache folder
must be exactly "cache" under the working folder. A third folder has a file
where its cache folder should be: the profile then lives in the per-user
folder of that install (under a "Jürgen" %LOCALAPPDATA%) and still persists.
Every run ends with exit code 0, closed in turn by the close button,
WM_CLOSE (the taskbar) and a real Alt+F4. Last, no folder with a question
mark or a garbled name may have appeared anywhere in the prefix.
  folders_test.py BIN_DIR REPO_DIR
"""
import itertools
import os
import pathlib
import re
import shutil
import subprocess
import sys
import time

from client_driver import CLOSINGS, Checks, Client, DemoSite, no_client_left, wait_for

BIN = pathlib.Path(sys.argv[1]).resolve()
REPO = pathlib.Path(sys.argv[2]).resolve()
OUT = REPO / "build" / "test-results" / "e2e-folders"
DRIVE_C = pathlib.Path(os.environ["WINEPREFIX"]) / "drive_c"
JUERGEN = DRIVE_C / "users" / "Jürgen"
SHELL_FOLDERS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders"
PORTAL = "GET /wd/wd-vlmr/index.htm"
# What the client needs beside it; the rest of bin/ is test programs.
RUNTIME = re.compile(r"velmora\.exe|.*\.(dll|pak|dat|bin)|locales|skin")
# A name garbled on its way through an ANSI code page: question marks, the
# replacement character, or CJK characters from the code page 936 reading.
GARBLED = re.compile("[?\ufffd\u3400-\u9fff]")
check = Checks()
closings = itertools.cycle(CLOSINGS)


def wine(*args):
    env = dict(os.environ, LC_ALL="C.UTF-8")
    return subprocess.run(["wine", *args], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                          timeout=120)


def install_into(folder):
    """The client's files in |folder|, linked from bin/ as a copy would be."""
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    for entry in BIN.iterdir():
        if RUNTIME.fullmatch(entry.name):
            (folder / entry.name).symlink_to(entry)


def portal_requests(site):
    return [line for line in site.requests() if PORTAL in line]


def play(site, label, folder):
    """One run started in |folder|; returns the cookie its portal request sent."""
    before = len(portal_requests(site))
    client = Client(REPO, BIN, OUT, site, "velmora-folders", cwd=folder, exe=folder / "velmora.exe")
    try:
        seen = wait_for(lambda: len(portal_requests(site)) > before, 90)
        check(f"{label}: the portal is loaded", seen)
        check(f"{label}: the login window appears", wait_for(client.login_window, 30))
        time.sleep(4)  # the page has set its cookie and focused its field
        how = next(closings)
        client.close_login(how)
        code = client.wait(60)
        check(f"{label}: closing by {how} ends the client with exit code 0", code == 0, code)
        check(f"{label}: no client process is left", no_client_left())
        line = portal_requests(site)[before] if seen else ""
        return line.split("\tcookie: ", 1)[1] if "\tcookie: " in line else ""
    finally:
        client.kill()


def keeps_its_profile(site, name, folder, cache):
    first = play(site, f"{name}, first run", folder)
    check(f"{name}: the first run brings no cookie", "visitor=" not in first, first)
    second = play(site, f"{name}, second run", folder)
    check(f"{name}: the second run sends the cookie the first was given", "visitor=" in second, second)
    check(f"{name}: the profile is on disk in {cache}", (cache / "Cookies").is_file(),
          sorted(p.name for p in cache.iterdir()) if cache.is_dir() else "no folder")


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    (OUT / "requests.log").unlink(missing_ok=True)
    games = DRIVE_C / "Игры" / "Velmora Ω"
    programs = JUERGEN / "AppData" / "Local" / "Programs"
    folders = [games, programs / "Velmora", programs / "Velmora blocked", JUERGEN / "AppData" / "Local" / "Velmora"]
    for folder in folders:
        shutil.rmtree(folder, ignore_errors=True)
    before = {p for p in DRIVE_C.rglob("*")}
    original = wine("reg", "query", SHELL_FOLDERS, "/v", "Local AppData").stdout
    original = original.split("REG_EXPAND_SZ", 1)[1].strip() if "REG_EXPAND_SZ" in original else ""
    site = DemoSite(REPO, OUT)
    try:
        install_into(games)
        keeps_its_profile(site, "C:\\Игры\\Velmora Ω", games, games / "cache")

        install_into(programs / "Velmora")
        keeps_its_profile(site, "Jürgen's install folder", programs / "Velmora", programs / "Velmora" / "cache")

        # A file where the cache folder should be: the per-user folder of this
        # install, under Jürgen's %LOCALAPPDATA%, holds the profile instead.
        blocked = programs / "Velmora blocked"
        install_into(blocked)
        (blocked / "cache").write_text("not a folder")
        check("Jürgen's %LOCALAPPDATA% is set",
              wine("reg", "add", SHELL_FOLDERS, "/v", "Local AppData", "/t", "REG_EXPAND_SZ",
                   "/d", r"C:\users\Jürgen\AppData\Local", "/f").returncode == 0)
        first = play(site, "cache folder blocked, first run", blocked)
        second = play(site, "cache folder blocked, second run", blocked)
        check("cache folder blocked: the second run sends the cookie the first was given",
              "visitor=" not in first and "visitor=" in second, (first, second))
        profiles = list((JUERGEN / "AppData" / "Local" / "Velmora" / "Profiles").glob("*/cache/Cookies"))
        check("cache folder blocked: the profile is in %LOCALAPPDATA%\\Velmora\\Profiles\\<install>\\cache",
              len(profiles) == 1 and re.fullmatch(r"[0-9a-f]{16}", profiles[0].parent.parent.name), profiles)
        check("cache folder blocked: the file in its place is left alone",
              (blocked / "cache").read_text() == "not a folder")
    finally:
        if original:
            wine("reg", "add", SHELL_FOLDERS, "/v", "Local AppData", "/t", "REG_EXPAND_SZ", "/d", original, "/f")
        site.stop()

    garbled = sorted(str(p.relative_to(DRIVE_C)) for p in set(DRIVE_C.rglob("*")) - before
                     if GARBLED.search(p.name))
    check("no folder or file with a question mark or a garbled name appears in the prefix", not garbled,
          garbled[:10])
    for folder in folders:
        shutil.rmtree(folder, ignore_errors=True)
    return check.summary()


if __name__ == "__main__":
    sys.exit(main())
