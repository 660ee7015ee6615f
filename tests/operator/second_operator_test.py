#!/usr/bin/env python3
"""A client for a second operator (tests/operator/second.conf: other hosts,
another product name and icon): built into a tree of its own (only
velmora.exe and what it needs), read back, and run under Wine against the
demo site, which answers any host.

  second_operator_test.py BIN_DIR REPO_DIR

BIN_DIR is the ordinary Windows build's bin/, for the window driver.
"""
import os
import pathlib
import subprocess
import sys
import time

import pefile

REPO = pathlib.Path(sys.argv[2]).resolve()
sys.path.insert(0, str(REPO / "tests" / "e2e"))
sys.path.insert(0, str(REPO / "tests" / "package"))
from client_driver import Checks, Client, DemoSite, wait_for  # noqa: E402
from package_common import version_strings  # noqa: E402

BIN = pathlib.Path(sys.argv[1]).resolve()
CONF = REPO / "tests" / "operator" / "second.conf"
ICON = REPO / "tests" / "operator" / "orvane.ico"
BUILD = REPO / "build" / "win-second-operator"
OUT = REPO / "build" / "test-results" / "second-operator"
PRODUCT = "Orvane Online"
DEMO_HOSTS = ["velmora.example", "www.velmora.example", "login.velmora.example", "game.velmora.example",
              "cdn.velmora.example"]
check = Checks()


def build():
    """Configures and builds velmora.exe for the second operator; later runs
    only rebuild what changed."""
    jobs = os.environ.get("VELMORA_JOBS", "2")
    steps = [["cmake", "-S", str(REPO), "-B", str(BUILD), "-DCMAKE_BUILD_TYPE=Release",
              f"-DCMAKE_TOOLCHAIN_FILE={REPO / 'cmake' / 'mingw-i686.cmake'}", f"-DVELMORA_OPERATOR_FILE={CONF}"],
             ["cmake", "--build", str(BUILD), "--target", "velmora", f"-j{jobs}"]]
    for step in steps:
        run = subprocess.run(step, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=1800)
        if run.returncode != 0:
            return run.stdout[-3000:]
    return ""


def icon_images(pe):
    """The data of every RT_ICON resource."""
    found = []
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id != pefile.RESOURCE_TYPE["RT_ICON"]:
            continue
        for name in kind.directory.entries:
            for lang in name.directory.entries:
                found.append(pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size))
    return found


def read_back(exe):
    data = exe.read_bytes()
    demo = (BIN / "velmora.exe").read_bytes()
    for host in DEMO_HOSTS:
        # The demo operator's own client holds each name whole, so a name
        # that leaked into this one would show.
        check(f"the demo operator's client holds {host}", host.encode("ascii") in demo)
        for encoding in ("ascii", "utf-16-le"):
            check(f"this client does not hold {host} ({encoding})", host.encode(encoding) not in data)
    check("it holds the second operator's portal address", b"http://portal.orvane.test/wd/wd-vlmr/index.htm" in data)
    check("and its CDN base", b"http://assets.orvane.test/pnox_cdn/" in data)
    check("and its product name as the window caption", PRODUCT.encode("utf-16-le") in data)

    pe = pefile.PE(str(exe))
    strings = version_strings(pe)
    for key, expected in [("ProductName", PRODUCT), ("CompanyName", "Orvane Entertainment"),
                          ("LegalCopyright", "Copyright (C) 2026 Orvane Entertainment"),
                          ("FileVersion", "2.3.4"), ("FileDescription", f"{PRODUCT} game client")]:
        check(f"version resource: {key} is {expected!r}", strings.get(key) == expected, strings.get(key))
    # The operator's icon: the image of its .ico file (after the 22-byte
    # header of a one-image file) is resource 106's image.
    image = ICON.read_bytes()[22:]
    check("its icon is the operator's", image in icon_images(pe), [len(i) for i in icon_images(pe)])

    nsh = (BUILD / "product.nsh").read_text()
    check("the installer is named after the product (folder, shortcuts, Uninstall key)",
          f'!define PRODUCT "{PRODUCT}"' in nsh, nsh)
    check("the installer carries the operator's icon", f'!define ICON "{ICON}"' in nsh, nsh)
    check("and its version", '!define VERSION "2.3.4"' in nsh, nsh)


def run_client(exe):
    OUT.mkdir(parents=True, exist_ok=True)
    site = DemoSite(REPO, OUT)
    client = None
    try:
        client = Client(REPO, BIN, OUT, site, f"orvane-{os.getpid()}", cwd=exe.parent, exe=exe, title=PRODUCT)
        check("the client asks the second operator's portal host for the portal",
              wait_for(lambda: "//portal.orvane.test/wd/wd-vlmr/index.htm" in site.paths(), 60), site.paths()[-5:])
        check(f"its login window is captioned {PRODUCT!r}", wait_for(client.login_window, 20))
        check("the portal's image-free page asks nothing of the demo operator's hosts",
              not [p for p in site.paths() if not p.startswith("//")], site.paths())
        time.sleep(3)
        # The demo portal's sign-in leads to the demo operator's game host,
        # which is foreign to this client.
        client.click("LoginBrowser", 505, 185)
        time.sleep(5)
        check("the demo operator's login marker opens no game here",
              not client.game_window() and not [p for p in site.paths() if "velmoLogin" in p], site.paths()[-5:])
        # The play button opens this operator's test login page.
        client.click(PRODUCT, 115, 563)
        check("the play button opens the second operator's test login page",
              wait_for(lambda: "//login.orvane.test/swtest.html&loginType=5" in site.paths(), 30), site.paths()[-5:])
        check("a game window opens for it", wait_for(client.game_window, 20))
        client.screenshot("orvane-game")
        hwnd, rect = client.game_window() or (0, (0, 0, 0, 0))
        client.close_with_buttons(check, rect[2] - rect[0])
    finally:
        if client:
            client.kill()
        site.stop()


def main():
    failure = build()
    exe = BUILD / "bin" / "velmora.exe"
    if not check("velmora.exe builds for the second operator", not failure and exe.exists(), failure):
        return check.summary()
    read_back(exe)
    run_client(exe)
    return check.summary()


if __name__ == "__main__":
    sys.exit(main())
