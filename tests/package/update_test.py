#!/usr/bin/env python3
"""The client updates itself, proven under Wine with the real installer.

The signed 1.0.0 of the package test (its build tree, packages and throwaway
certificate, made again here when missing or older than the build) is
installed into a fresh Wine prefix that trusts that certificate, a second
one and the demo site's. scripts/package.sh then makes a signed 1.0.1 in
the same build tree, with its update feed. The demo site serves feeds and
installers under /updates/ and is WinINet's proxy for the client's hosts
(the prefix's Internet settings); CEF gets it with --proxy-server.

  1. Refusals, through update_probe.exe (velmora.exe's own check, the real
     WinINet and WinVerifyTrust), each leaving nothing staged: a wrong hash,
     a wrong size either way, a truncated download, an unsigned installer,
     one signed by another trusted certificate, one by an untrusted one, a
     changed byte under a valid signature, an installer whose version is
     not the feed's, an older and the same version, garbage feeds, a feed
     over 64 KiB, an unreachable or missing feed, file:, UNC and plain
     http addresses; an unsigned (developer) client and a portable one do
     not even ask. The good feed over https and over loopback http stage
     the installer (the cases differ from it in one thing each).
  2. An installer killed part-way (while unpacking): 1.0.0 still starts,
     through the full client, which refuses a wrong hash and ends with 0.
  3. End to end: 1.0.0 logs in while the site offers 1.0.1; the update is
     staged while the game runs and not applied; closing the client starts
     the installer, and velmora.exe becomes 1.0.1 with the player's cookie
     kept; the next start asks the feed again and updates nothing.
  update_test.py BIN_DIR REPO_DIR
"""
import hashlib
import os
import pathlib
import shutil
import socket
import subprocess
import sys
import tempfile
import time


sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "e2e"))
from client_driver import Checks, Client, DemoSite, client_processes, wait_for  # noqa: E402
from package_common import PACKAGE_FILES, make_prefix, run, version_of, wine  # noqa: E402

BIN = pathlib.Path(sys.argv[1]).resolve()
REPO = pathlib.Path(sys.argv[2]).resolve()
PACKAGES = BIN.parent / "package-test"  # the package test's work folder
WORK = BIN.parent / "update-test"
OUT = REPO / "build" / "test-results" / "update"
PREFIX = WORK / "wineprefix"
SERVED = WORK / "served"  # the site's /updates/
DESKTOP = f"velmora-update-{os.getpid()}"
OLD, NEW = "1.0.0", "1.0.1"
FEED = "velmora-update.txt"
HOST = "https://www.velmora.example"
FEED_URL = f"{HOST}/updates/{FEED}"  # the build's default feed address
INTERNET_SETTINGS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"
UNINST_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
PORTAL = "GET /wd/wd-vlmr/index.htm"
SHIPPED = PACKAGE_FILES | {"uninstall.exe"}

check = Checks()


def windows_path(path):
    return run("winepath", "-w", path).stdout.strip()


def sha256(path):
    return hashlib.sha256(pathlib.Path(path).read_bytes()).hexdigest()


def make_certificate(name, cn):
    """A self-signed code-signing certificate, like an operator's."""
    cert, key = WORK / f"{name}-cert.pem", WORK / f"{name}-key.pem"
    run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", f"/CN={cn}",
        "-addext", "basicConstraints=critical,CA:FALSE", "-addext", "extendedKeyUsage=codeSigning",
        "-addext", "keyUsage=critical,digitalSignature", "-keyout", key, "-out", cert)
    return cert, key


def resign(source, target, cert=None, key=None):
    """|source| without its signature, signed again with |cert| when given."""
    bare = WORK / "bare.exe"
    bare.unlink(missing_ok=True)
    run("osslsigncode", "remove-signature", "-in", source, "-out", bare)
    if cert:
        target.unlink(missing_ok=True)
        run("osslsigncode", "sign", "-certs", cert, "-key", key, "-h", "sha256", "-in", bare, "-out", target)
    else:
        shutil.move(bare, target)


def package(version, dist, cert, key):
    env = {k: v for k, v in os.environ.items() if not k.startswith(("VELMORA_SIGN_", "VELMORA_UPDATE_"))}
    env.update(VELMORA_BUILD_DIR=str(PACKAGES / "build"), VELMORA_DIST_DIR=str(dist), VELMORA_VERSION=version,
               VELMORA_SIGN_CERT=str(cert), VELMORA_SIGN_KEY=str(key), VELMORA_JOBS=env.get("VELMORA_JOBS", "2"))
    done = run(REPO / "scripts" / "package.sh", env=env, timeout=1200)
    (OUT / f"package-{version}.log").write_text(done.stdout)
    return done


def packages():
    """The signed 1.0.0 installer and its certificate (the package test's
    when they are newer than the build), and a signed 1.0.1 with its feed."""
    cert, key = PACKAGES / "signing-cert.pem", PACKAGES / "signing-key.pem"
    old = PACKAGES / "new" / f"velmora-{OLD}-setup.exe"
    fresh = old.exists() and cert.exists() and old.stat().st_mtime > (BIN / "velmora.exe").stat().st_mtime
    if not fresh or run("osslsigncode", "verify", "-CAfile", cert, "-in", old).returncode != 0:
        cert, key = make_certificate("signing", "Velmora test signing")
        old = WORK / "old" / f"velmora-{OLD}-setup.exe"
        check(f"package.sh makes a signed {OLD}", package(OLD, WORK / "old", cert, key).returncode == 0)
    print(f"     {OLD}: {old}", flush=True)
    made = package(NEW, WORK / "new", cert, key)
    check(f"package.sh makes a signed {NEW}", made.returncode == 0, made.stdout[-2000:])
    new, feed = WORK / "new" / f"velmora-{NEW}-setup.exe", WORK / "new" / FEED
    lines = [line for line in made.stdout.splitlines() if line.startswith(f"package: {feed}")]
    check("package.sh names the feed and where to publish it", len(lines) == 1 and FEED_URL in lines[0], lines)
    values = dict(line.split("=", 1) for line in feed.read_text().splitlines()
                  if "=" in line and not line.startswith("#")) if feed.exists() else {}
    check("the feed names the version, the installer's address, size and SHA-256 (after signing)",
          values == {"version": NEW, "url": f"{HOST}/updates/{new.name}", "size": str(new.stat().st_size),
                     "sha256": sha256(new)} and run("osslsigncode", "verify", "-CAfile", cert, "-in", new).returncode == 0,
          values)
    return old, new, feed, cert, key


def local_appdata():
    return next(p for p in (PREFIX / "drive_c" / "users").glob("*/AppData/Local") if "Public" not in p.parts)


def staged():
    """What lies in the player's staging folder."""
    folder = local_appdata() / "Velmora" / "Updates"
    return sorted(p.name for p in folder.iterdir()) if folder.is_dir() else []


def setup_processes():
    """Installer processes of this test's prefix."""
    found = []
    for pid in subprocess.run(["pgrep", "-f", r"setup\.exe|\.exe.*/UPDATE"], stdout=subprocess.PIPE,
                              text=True).stdout.split():
        try:
            environ = pathlib.Path(f"/proc/{pid}/environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if f"WINEPREFIX={PREFIX}".encode() in environ:
            found.append(pid)
    return found


def feed_text(version, url, size, digest):
    return f"version={version}\nurl={url}\nsize={size}\nsha256={digest}\n"


def closed_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def probe_cases(site, new, old, other, untrusted):
    """(name, feed text or None, feed address, client, outcome, downloads?)"""
    installed = INSTALLED / "velmora.exe"
    size, digest = new.stat().st_size, sha256(new)
    good = feed_text(NEW, f"{HOST}/updates/{new.name}", size, digest)
    loopback = f"http://{site.proxy}/updates"

    def served(name, data):
        (SERVED / name).write_bytes(data)
        return f"{HOST}/updates/{name}"

    for name, signer in [("unsigned.exe", (None, None)), ("other-signed.exe", other),
                         ("untrusted-signed.exe", untrusted)]:
        resign(new, SERVED / name, *signer)
    data = bytearray(new.read_bytes())
    data[len(data) // 2] ^= 0xFF  # under the signature: the signed image no longer matches
    changed = served("changed.exe", bytes(data))
    shutil.copy(old, SERVED / old.name)

    def feed_for(name):
        path = SERVED / name
        return feed_text(NEW, f"{HOST}/updates/{name}", path.stat().st_size, sha256(path))

    portable = PREFIX / "drive_c" / "portable"
    portable.mkdir(exist_ok=True)
    shutil.copy(installed, portable / "velmora.exe")
    dev = BIN / "velmora.exe"
    big = good + "# " + "x" * (64 * 1024) + "\n"
    return [
        ("the good feed over https stages the installer", good, FEED_URL, installed, "staged", True),
        ("the good feed on the loopback test address over http stages it",
         feed_text(NEW, f"{loopback}/{new.name}", size, digest), f"{loopback}/{FEED}", installed, "staged", True),
        ("a wrong hash", feed_text(NEW, f"{HOST}/updates/{new.name}", size, "0" * 64), FEED_URL, installed,
         "wrong-hash", True),
        ("a size smaller than the download", feed_text(NEW, f"{HOST}/updates/{new.name}", size - 1000, digest),
         FEED_URL, installed, "wrong-size", True),
        ("a size larger than the download", feed_text(NEW, f"{HOST}/updates/{new.name}", size + 1000, digest),
         FEED_URL, installed, "wrong-size", True),
        ("a truncated download", feed_text(NEW, f"{HOST}/updates/{new.name}?cut=1000000", size, digest), FEED_URL,
         installed, "incomplete", True),
        ("an unsigned installer", feed_for("unsigned.exe"), FEED_URL, installed, "installer-unsigned", True),
        ("an installer signed by another (trusted) certificate", feed_for("other-signed.exe"), FEED_URL, installed,
         "other-signer", True),
        ("an installer signed by an untrusted certificate", feed_for("untrusted-signed.exe"), FEED_URL, installed,
         "installer-unsigned", True),
        ("a changed byte under a valid signature", feed_for("changed.exe"), FEED_URL, installed,
         "installer-unsigned", True),
        ("a signed installer whose version is not the feed's", feed_for(old.name), FEED_URL, installed,
         "wrong-version", True),
        ("an older version", feed_text("0.9.0", f"{HOST}/updates/{new.name}", size, digest), FEED_URL, installed,
         "not-newer", False),
        ("the same version", feed_text(OLD, f"{HOST}/updates/{new.name}", size, digest), FEED_URL, installed,
         "not-newer", False),
        ("a garbage feed (a web page)", "<html><body>Moved</body></html>\n", FEED_URL, installed, "feed-garbage",
         False),
        ("a garbage feed (binary)", bytes(range(256)).decode("latin-1") * 8, FEED_URL, installed, "feed-garbage",
         False),
        ("a feed over 64 KiB", big, FEED_URL, installed, "feed-too-large", False),
        ("an unreachable feed", None, f"https://127.0.0.1:{closed_port()}/updates/{FEED}", installed,
         "feed-unreachable", False),
        ("a missing feed (404)", None, f"{HOST}/updates/nothing.txt", installed, "feed-unreachable", False),
        ("a feed naming a file: address", feed_text(NEW, "file:///C:/users/Public/setup.exe", size, digest),
         FEED_URL, installed, "installer-address-refused", False),
        ("a feed naming a UNC address", feed_text(NEW, r"\\127.0.0.1\share\setup.exe", size, digest), FEED_URL,
         installed, "installer-address-refused", False),
        ("a feed naming plain http on a real host", feed_text(NEW, changed.replace("https:", "http:"), size, digest),
         FEED_URL, installed, "installer-address-refused", False),
        ("a file: feed address", None, "file:///C:/velmora-update.txt", installed, "feed-address-refused", False),
        ("a UNC feed address", None, r"\\127.0.0.1\share\velmora-update.txt", installed, "feed-address-refused",
         False),
        ("plain http to a real host as the feed address", None, FEED_URL.replace("https:", "http:"), installed,
         "feed-address-refused", False),
        ("an unsigned client (a developer build) never asks", good, FEED_URL, dev, "unsigned-client", False),
        ("a portable client (no uninstaller beside it) never asks", good, FEED_URL, portable / "velmora.exe",
         "not-installed", False),
    ]


def run_probe_cases(site, new, old, other, untrusted):
    for name, feed, address, client, expected, downloads in probe_cases(site, new, old, other, untrusted):
        if feed is not None:
            (SERVED / FEED).write_bytes(feed.encode("latin-1"))
        before = len(site.requests())
        out = wine(BIN / "update_probe.exe", "check", address, windows_path(client), timeout=180).stdout.split()
        outcome = out[0] if out else "(nothing)"
        asked = site.requests()[before:]
        fetched = [r for r in asked if r.split("\t")[0].endswith(".exe") or ".exe?" in r]
        left = staged()
        if expected == "staged":
            ok = left == [f"velmora-{NEW}.0-setup.exe"] and sha256(local_appdata() / "Velmora" / "Updates" / left[0]) \
                == sha256(new)
            check(f"{name}: {outcome}", outcome == expected and ok, (out, left))
            shutil.rmtree(local_appdata() / "Velmora")
        else:
            check(f"{name}: refused ({outcome}), nothing staged", outcome == expected and not left, (out, left))
        check(f"     {'the installer was downloaded first' if downloads else 'no installer was asked for'}",
              bool(fetched) == downloads, asked)
        if client != INSTALLED / "velmora.exe":
            check("     not even the feed was asked for", not asked, asked)
    check(f"the installed client is still {OLD}", version_of(INSTALLED / "velmora.exe") == OLD)


def portal_lines(site):
    return [r for r in site.requests() if PORTAL in r]


def cookie_of(line):
    return line.split("\tcookie: ", 1)[1] if "\tcookie: " in line else ""


def start_client(site, label):
    before = len(portal_lines(site))
    client = Client(REPO, BIN, OUT, site, DESKTOP, cwd=INSTALLED, exe=INSTALLED / "velmora.exe")
    check(f"{label}: the portal is asked for", wait_for(lambda: len(portal_lines(site)) > before, 90))
    check(f"{label}: the login window appears", wait_for(client.login_window, 30))
    return client, (portal_lines(site)[before] if len(portal_lines(site)) > before else "")


def close_client(client, label):
    client.click("Velmora", 1057, 20)
    code = client.wait(60)
    check(f"{label}: the close button ends the client with exit code 0", code == 0, code)
    check(f"{label}: no client process is left", wait_for(lambda: not client_processes(PREFIX), 20),
          client_processes(PREFIX))


def requests_of(site, path):
    return [r for r in site.requests() if f"GET /updates/{path}" in r]


def killed_installer(site, new):
    """2. The installer killed while unpacking, then the full client."""
    process = subprocess.Popen(["wine", str(new), "/S", "/UPDATE"], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    unpacking = wait_for(lambda: (INSTALLED / "~new").is_dir() and any(p.is_file() for p in (INSTALLED / "~new").rglob("*")),
                         120, 0.05)
    process.kill()
    process.wait()
    wait_for(lambda: not setup_processes(), 20)
    check("an installer killed part-way was unpacking beside the client", unpacking)
    check("it left the installed 1.0.0 whole", version_of(INSTALLED / "velmora.exe") == OLD
          and SHIPPED <= {p.relative_to(INSTALLED).as_posix() for p in INSTALLED.rglob("*") if p.is_file()})

    (SERVED / FEED).write_text(feed_text(NEW, f"{HOST}/updates/{new.name}", new.stat().st_size, "0" * 64))
    downloads = len(requests_of(site, new.name))
    client, first = start_client(site, "after the killed installer")
    refused = wait_for(lambda: len(requests_of(site, new.name)) > downloads and not staged(), 120)
    check("the client downloads the update and refuses its wrong hash", refused, staged())
    client.screenshot("update-killed-installer")
    close_client(client, "after the killed installer")
    time.sleep(5)
    check("no installer was started", not setup_processes() and version_of(INSTALLED / "velmora.exe") == OLD)
    return first


def end_to_end(site, new, feed):
    """3. The update, from the feed to the next start."""
    shutil.copy(feed, SERVED / FEED)
    downloads = len(requests_of(site, new.name))
    client, portal = start_client(site, f"{OLD}")
    check(f"{OLD} brings the player's cookie", "visitor=" in cookie_of(portal), portal)
    client.click("LoginBrowser", 505, 185)  # the portal's "Sign in"
    check("the player logs in and the game window opens", wait_for(client.game_window, 40))
    ready = f"velmora-{NEW}.0-setup.exe"
    check("the update is downloaded and verified in the background",
          wait_for(lambda: staged() == [ready], 120) and len(requests_of(site, new.name)) == downloads + 1, staged())
    time.sleep(3)
    check("nothing is applied while the game runs",
          version_of(INSTALLED / "velmora.exe") == OLD and not setup_processes() and client.game_window())
    client.screenshot("update-staged-in-game")
    game = client.game_window()
    if game:
        client.click("Velmora", game[1][2] - game[1][0] - 23, 16)
        check("closing the game shows the login window", wait_for(client.login_window, 20))
    close_client(client, OLD)
    updated = wait_for(lambda: version_of(INSTALLED / "velmora.exe") == NEW and not setup_processes(), 180, 1)
    check(f"closing the client starts the installer: velmora.exe's version resource says {NEW}", updated,
          version_of(INSTALLED / "velmora.exe"))
    files = {p.relative_to(INSTALLED).as_posix() for p in INSTALLED.rglob("*") if p.is_file()}
    # Besides the cache, CEF writes debug.log into the working folder.
    check("the installed files are the new ones, the player's cache kept, the killed installer's leftovers gone",
          {f for f in files if not f.startswith("cache/")} - {"debug.log"} == SHIPPED
          and any(f.startswith("cache/") for f in files), sorted(files - SHIPPED)[:10])
    check("velmora.exe is 1.0.1's own file", sha256(INSTALLED / "velmora.exe") == EXPECTED_EXE_SHA.get(NEW))
    registered = wine("reg", "query", UNINST_KEY, "/v", "DisplayVersion").stdout
    check(f"the Uninstall key says {NEW}", NEW in registered, registered)

    feeds = len(requests_of(site, FEED))
    downloads = len(requests_of(site, new.name))
    client, again = start_client(site, f"{NEW}")
    check("the player's cookie is still sent", cookie_of(again) == cookie_of(portal), (portal, again))
    check(f"{NEW} asks the feed", wait_for(lambda: len(requests_of(site, FEED)) > feeds, 60))
    time.sleep(5)
    check(f"{NEW} updates nothing: no download, the staging folder cleared",
          len(requests_of(site, new.name)) == downloads and not staged(), staged())
    client.screenshot("update-next-start")
    close_client(client, NEW)
    time.sleep(5)
    check(f"no installer runs after {NEW} closes; it stays {NEW}",
          not setup_processes() and version_of(INSTALLED / "velmora.exe") == NEW)


INSTALLED = None
EXPECTED_EXE_SHA = {}


def main():
    global INSTALLED
    for d in (WORK, OUT, SERVED):
        d.mkdir(parents=True, exist_ok=True)
    for f in SERVED.iterdir():
        f.unlink()
    old, new, feed, cert, key = packages()
    if not old.exists() or not new.exists() or not feed.exists():
        return
    with tempfile.TemporaryDirectory() as unpacked:
        run("unzip", "-q", "-o", WORK / "new" / f"velmora-{NEW}-win32.zip", "-d", unpacked)
        EXPECTED_EXE_SHA[NEW] = sha256(pathlib.Path(unpacked) / f"velmora-{NEW}-win32" / "velmora.exe")
    shutil.copy(new, SERVED / new.name)

    os.environ.update(WINEPREFIX=str(PREFIX), WINEARCH="win32", WINEDEBUG="-all",
                      WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    if not check("a fresh Wine prefix is made", make_prefix(PREFIX, REPO)):
        return
    subprocess.run(["wineserver", "-p"], check=False)
    site = DemoSite(REPO, OUT, "--updates", str(SERVED), "--cert-dir", str(WORK / "site-certificate"))
    try:
        # The prefix trusts the signing certificate, another publisher's, and
        # the site's for WinINet's https; WinINet reaches the client's hosts
        # through the site, loopback addresses directly.
        other = make_certificate("other", "Another publisher")
        untrusted = make_certificate("untrusted", "Nobody trusts this")
        site_cert = WORK / "site-certificate" / "demo-cert.pem"
        for c in (cert, other[0], site_cert):
            trusted = wine(BIN / "update_probe.exe", "trust", windows_path(c)).stdout
            check(f"the prefix trusts {c.name}", "trusted" in trusted, trusted)
        for name, kind, value in [("ProxyEnable", "REG_DWORD", "1"), ("ProxyServer", "REG_SZ", site.proxy),
                                  ("ProxyOverride", "REG_SZ", "127.0.0.1;localhost")]:
            wine("reg", "add", INTERNET_SETTINGS, "/v", name, "/t", kind, "/d", value, "/f")
        check(f"the signed {OLD} installs", wine(old, "/S").returncode == 0)
        INSTALLED = local_appdata() / "Programs" / "Velmora"
        check(f"velmora.exe is {OLD}", version_of(INSTALLED / "velmora.exe") == OLD, INSTALLED)

        run_probe_cases(site, new, old, other, untrusted)
        killed_installer(site, new)
        end_to_end(site, new, feed)
    finally:
        site.stop()
        subprocess.run(["wineserver", "-k"], check=False)


if __name__ == "__main__":
    try:
        main()
    finally:
        code = check.summary()
    sys.exit(code if check.results else 1)
