#!/usr/bin/env python3
"""The packages as a player gets them, proven under Wine.

scripts/package.sh builds, once per run and in a build tree of this test's
own, an older version (0.9.0, unsigned, one locale more) and the current
one, signed with a throwaway self-signed certificate. Then, in a fresh Wine
prefix made for this run:
  1. the installer's silent run, its files, both shortcuts (read with
     LnkParse3) and the Uninstall key;
  2. the client started as the shortcut starts it reaches the demo portal,
     makes its cache under the install folder, keeps a second install from
     replacing it, and ends with 0 from the login window's close button;
  3. the portable zip, unpacked elsewhere, does the same;
  4. the uninstaller's silent run leaves nothing of the client;
  5. an install over the older version leaves only the new files and one
     Uninstall entry;
  6. /D= installs into a folder whose name no ANSI code page holds; the
     client starts from its shortcut there, and it uninstalls from there.
Signatures are checked with osslsigncode verify against the throwaway
certificate. Everything is read from outside the client.
  installer_test.py BIN_DIR REPO_DIR
"""
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

import LnkParse3
import pefile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "e2e"))
from client_driver import Checks, Client, DemoSite, client_processes, wait_for  # noqa: E402
from package_common import PACKAGE_FILES, make_prefix, run, version_of, wine  # noqa: E402

BIN = pathlib.Path(sys.argv[1]).resolve()
REPO = pathlib.Path(sys.argv[2]).resolve()
WORK = BIN.parent / "package-test"
OUT = REPO / "build" / "test-results" / "package"
PREFIX = WORK / "wineprefix"
DESKTOP = f"velmora-package-{os.getpid()}"
OLD, NEW = "0.9.0", "1.0.0"
UNINST_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall"
PORTAL = "GET /wd/wd-vlmr/index.htm"
LOGIN_CLOSE_BUTTON = (1057, 20)
# What a player's folder holds: the zip's files, and the uninstaller when installed.
SHIPPED = PACKAGE_FILES

check = Checks()


def unix_path(windows_path):
    return pathlib.Path(run("winepath", "-u", windows_path).stdout.strip())


def tree(folder):
    """Every file below a folder, as relative paths with forward slashes."""
    return {p.relative_to(folder).as_posix() for p in folder.rglob("*") if p.is_file()}


def everything(folder):
    return {p.relative_to(folder).as_posix() for p in folder.rglob("*")}


def registry(key):
    """Values of a registry key as {name: text}, or None when it is missing.
    Read through an exported file, which is UTF-16: "reg query" prints
    through the console's code page and loses other scripts."""
    with tempfile.TemporaryDirectory() as folder:
        exported = pathlib.Path(folder) / "key.reg"
        if wine("reg", "export", key, run("winepath", "-w", exported).stdout.strip(), "/y").returncode != 0:
            return None
        text = exported.read_bytes().decode("utf-16").replace("\r\n", "\n")
    values = {}
    for name, value in re.findall(r'^"((?:[^"\\]|\\.)*)"=(.*)$', text, re.M):
        if value.startswith("dword:"):
            values[name] = hex(int(value[6:], 16))
        else:
            values[name] = re.sub(r"\\(.)", r"\1", value[1:-1])
    return values


def uninstall_entries():
    out = wine("reg", "query", UNINST_KEY).stdout
    keys = [line.strip().rsplit("\\", 1)[-1] for line in out.splitlines() if line.strip().startswith("HKEY_")]
    return [k for k in keys if "velmora" in k.lower()]


def signature_ok(path, cert):
    return run("osslsigncode", "verify", "-CAfile", cert, "-in", path).returncode == 0


def shortcut(path):
    with open(path, "rb") as f:
        data = LnkParse3.lnk_file(f).get_json()
    return data.get("link_info", {}).get("local_base_path"), data.get("data", {}).get("working_directory")


def shortcut_folder_and_icon(path):
    with open(path, "rb") as f:
        data = LnkParse3.lnk_file(f).get_json().get("data", {})
    return data.get("working_directory"), data.get("icon_location")


def make_packages(cert, key):
    """The older package, unsigned, then the current one, signed."""
    env = {k: v for k, v in os.environ.items() if not k.startswith("VELMORA_SIGN_")}
    env.update(VELMORA_BUILD_DIR=str(WORK / "build"), VELMORA_JOBS=env.get("VELMORA_JOBS", "2"))
    old = run(REPO / "scripts" / "package.sh", env=dict(env, VELMORA_VERSION=OLD, VELMORA_DIST_DIR=str(WORK / "old"),
                                                       VELMORA_LOCALES="zh-CN en-US de"), timeout=1200)
    (OUT / "package-old.log").write_text(old.stdout)
    new = run(REPO / "scripts" / "package.sh", env=dict(env, VELMORA_DIST_DIR=str(WORK / "new"),
                                                       VELMORA_SIGN_CERT=str(cert), VELMORA_SIGN_KEY=str(key)),
              timeout=1200)
    (OUT / "package-new.log").write_text(new.stdout)
    print(new.stdout[new.stdout.find("package: "):].strip(), flush=True)
    half = run(REPO / "scripts" / "package.sh", env=dict(env, VELMORA_SIGN_CERT=str(cert)), timeout=60)
    check("a certificate without its key is refused", half.returncode != 0 and "VELMORA_SIGN_KEY" in half.stdout,
          half.stdout[-500:])
    check("package.sh makes the older version", old.returncode == 0, old.stdout[-2000:])
    check("package.sh makes the current version", new.returncode == 0, new.stdout[-2000:])
    unsigned = [line for line in old.stdout.splitlines() if "unsigned" in line]
    check("without a certificate package.sh says so in one line", len(unsigned) == 1, unsigned)
    check("with a certificate it says nothing of the kind", "unsigned" not in new.stdout)
    sizes = [line for line in new.stdout.splitlines() if re.match(r"package: .*: [0-9.]+ MiB", line)]
    check("package.sh prints the sizes of both packages and of the installed folder", len(sizes) == 3, sizes)
    return old.returncode == 0 and new.returncode == 0


def check_zip(zip_path, version, signed, cert, locales):
    name = f"velmora-{version}-win32"
    with zipfile.ZipFile(zip_path) as z:
        files = {n[len(name) + 1:] for n in z.namelist() if not n.endswith("/")}
        check(f"{zip_path.name} holds one folder {name}", all(n.startswith(name + "/") for n in z.namelist()))
        expected = (SHIPPED - {"locales/zh-CN.pak", "locales/en-US.pak"}) | {f"locales/{x}.pak" for x in locales}
        check(f"{zip_path.name} holds only what the client needs", files == expected,
              sorted(files ^ expected))
        exe = WORK / f"zip-{version}.exe"
        exe.write_bytes(z.read(f"{name}/velmora.exe"))
    pe = pefile.PE(str(exe))
    check(f"{version}: velmora.exe is stripped", pe.FILE_HEADER.NumberOfSymbols == 0, pe.FILE_HEADER.NumberOfSymbols)
    check(f"{version}: velmora.exe carries version {version}", version_of(exe) == version, version_of(exe))
    check(f"{version}: velmora.exe is {'signed' if signed else 'unsigned'}", signature_ok(exe, cert) == signed)
    return exe


def check_signatures(new_dist, signed_exe, cert):
    setup = new_dist / f"velmora-{NEW}-setup.exe"
    check("the installer's signature verifies", signature_ok(setup, cert))
    # A changed byte must break the check: the signature covers the file.
    tampered = WORK / "tampered.exe"
    data = bytearray(signed_exe.read_bytes())
    data[4096] ^= 0xFF
    tampered.write_bytes(bytes(data))
    check("a changed byte fails the signature check", not signature_ok(tampered, cert))


def install(setup, *args):
    return wine(setup, "/S", *args).returncode


def check_installed(folder):
    check("the files are in %LOCALAPPDATA%\\Programs\\Velmora", tree(folder) == SHIPPED | {"uninstall.exe"},
          sorted(tree(folder) ^ (SHIPPED | {"uninstall.exe"})))
    start_menu = unix_path(r"C:\users\root\AppData\Roaming\Microsoft\Windows\Start Menu\Programs") / "Velmora.lnk"
    desktop_lnk = unix_path(r"C:\users\root\Desktop") / "Velmora.lnk"
    win_folder = run("winepath", "-w", folder).stdout.strip()
    links = {}
    for name, lnk in [("Start-menu", start_menu), ("desktop", desktop_lnk)]:
        if check(f"the {name} shortcut exists", lnk.is_file(), lnk):
            target, workdir = shortcut(lnk)
            check(f"the {name} shortcut starts velmora.exe", target == win_folder + "\\velmora.exe", target)
            check(f"the {name} shortcut starts in the install folder", workdir == win_folder, workdir)
            links[name] = (target, workdir)
    values = registry(UNINST_KEY + "\\Velmora") or {}
    size_kb = sum(p.stat().st_size for p in folder.rglob("*") if p.is_file()) // 1024
    for name, expected in [("DisplayName", "Velmora"), ("DisplayVersion", NEW), ("Publisher", "Velmora Games"),
                           ("DisplayIcon", win_folder + "\\velmora.exe,-106"),
                           ("InstallLocation", win_folder),
                           ("UninstallString", f'"{win_folder}\\uninstall.exe"'),
                           ("QuietUninstallString", f'"{win_folder}\\uninstall.exe" /S')]:
        check(f"Uninstall key: {name}", values.get(name) == expected, values.get(name))
    estimated = int(values.get("EstimatedSize", "0"), 16)
    check("Uninstall key: EstimatedSize is the folder's size in KB", abs(estimated - size_kb) <= 1,
          (estimated, size_kb))
    return links.get("Start-menu")


def prefix_clients():
    """velmora.exe processes of this test's own prefix."""
    return client_processes(PREFIX)


def portal_requests(site):
    return sum(PORTAL in r for r in site.requests())


def play_and_close(label, exe, workdir, site, while_running=None):
    """Starts the client, checks the portal and the cache, closes it."""
    before = portal_requests(site)
    client = Client(REPO, BIN, OUT, site, DESKTOP, cwd=workdir, exe=exe)
    try:
        check(f"{label}: the demo site sees the portal request", wait_for(lambda: portal_requests(site) > before, 90))
        check(f"{label}: the login window appears", wait_for(client.login_window, 30))
        check(f"{label}: the cache folder is made under {workdir.name}", wait_for((workdir / "cache").is_dir, 10))
        client.screenshot(label.replace(" ", "-"))
        if while_running:
            while_running()
        client.click("Velmora", *LOGIN_CLOSE_BUTTON)
        code = client.wait(60)
        check(f"{label}: the close button ends the client with exit code 0", code == 0, code)
        check(f"{label}: no client process is left", wait_for(lambda: not prefix_clients(), 20), prefix_clients())
    finally:
        client.kill()


def pending_deletions():
    """Paths the system deletes at the next restart (PendingFileRenameOperations)."""
    out = wine("reg", "query", r"HKLM\System\CurrentControlSet\Control\Session Manager", "/v",
               "PendingFileRenameOperations").stdout
    text = out.split("REG_MULTI_SZ", 1)[1].strip() if "REG_MULTI_SZ" in out else ""
    return {p[4:] for p in text.split("\\0") if p.startswith("\\??\\")}


def uninstall(folder):
    values = registry(UNINST_KEY + "\\Velmora") or {}
    quiet = values.get("QuietUninstallString", "")
    exe = quiet.rsplit(" /S", 1)[0].strip('"')
    code = wine(exe, "/S").returncode
    # The uninstaller runs on from a copy of itself in %TEMP%.
    gone = wait_for(lambda: not folder.exists() and registry(UNINST_KEY + "\\Velmora") is None, 60)
    return code, gone


def main():
    for d in (WORK, OUT):
        d.mkdir(parents=True, exist_ok=True)
    (OUT / "requests.log").unlink(missing_ok=True)
    os.environ.update(WINEPREFIX=str(PREFIX), WINEARCH="win32", WINEDEBUG="-all", LC_ALL="C.UTF-8",
                      # No menu entries of the host desktop for the shortcuts.
                      WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")

    cert, key = WORK / "signing-cert.pem", WORK / "signing-key.pem"
    made = subprocess.CompletedProcess([], 0, "") if "--reuse-packages" in sys.argv else run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
               "/CN=Velmora test signing", "-addext", "basicConstraints=critical,CA:FALSE",
               "-addext", "extendedKeyUsage=codeSigning",
               "-addext", "keyUsage=critical,digitalSignature", "-keyout", key, "-out", cert)
    if not check("a throwaway code-signing certificate is made", made.returncode == 0, made.stdout):
        return
    # --reuse-packages: keep the packages of the last run (when working on this test).
    if "--reuse-packages" not in sys.argv and not make_packages(cert, key):
        return
    old_dist, new_dist = WORK / "old", WORK / "new"
    check_zip(old_dist / f"velmora-{OLD}-win32.zip", OLD, False, cert, ["zh-CN", "en-US", "de"])
    signed_exe = check_zip(new_dist / f"velmora-{NEW}-win32.zip", NEW, True, cert, ["zh-CN", "en-US"])
    check_signatures(new_dist, signed_exe, cert)
    new_setup, old_setup = new_dist / f"velmora-{NEW}-setup.exe", old_dist / f"velmora-{OLD}-setup.exe"

    if not check("a fresh Wine prefix is made", make_prefix(PREFIX, REPO)):
        return
    subprocess.run(["wineserver", "-p"], check=False)
    site = DemoSite(REPO, OUT)
    try:
        before = everything(PREFIX / "drive_c")
        folder = unix_path(r"C:\users\root\AppData\Local\Programs\Velmora")

        # 1. Silent install.
        check("setup /S exits with 0", install(new_setup) == 0)
        link = check_installed(folder)
        check("the installed uninstaller's signature verifies", signature_ok(folder / "uninstall.exe", cert))
        check("the installed velmora.exe's signature verifies", signature_ok(folder / "velmora.exe", cert))

        # 2. The client as its shortcut starts it; a second install meanwhile.
        def install_while_running():
            stamp = (folder / "velmora.exe").stat().st_mtime_ns
            check("a silent install while the client runs exits non-zero", install(new_setup) != 0)
            check("and leaves the running client's files alone",
                  (folder / "velmora.exe").stat().st_mtime_ns == stamp and prefix_clients())
        if link:
            play_and_close("installed client", unix_path(link[0]), unix_path(link[1]), site, install_while_running)

        # 3. The portable zip, unpacked elsewhere.
        portable = PREFIX / "drive_c" / "portable"
        with zipfile.ZipFile(new_dist / f"velmora-{NEW}-win32.zip") as z:
            z.extractall(portable)
        unpacked = portable / f"velmora-{NEW}-win32"
        play_and_close("portable client", unpacked / "velmora.exe", unpacked, site)
        shutil.rmtree(portable)

        # 4. Silent uninstall: nothing of the client is left.
        code, gone = uninstall(folder)
        check("uninstall /S exits with 0", code == 0, code)
        check("the install folder and the Uninstall key are removed", gone)
        pending = pending_deletions()
        left = sorted(p for p in everything(PREFIX / "drive_c") - before
                      if not ("C:\\" + p.replace("/", "\\") in pending or re.fullmatch(r"users/[^/]+/Temp/~nsu\w*\.tmp", p)))
        print("left in the prefix:", left or "nothing", flush=True)
        check("nothing of the client is left in the prefix (files, shortcuts, cache, CEF folders)", not left, left)
        reg = [line for f in ("user.reg", "system.reg") for line in (PREFIX / f).read_text(errors="replace").splitlines()
               if "velmora" in line.lower()]
        check("nothing of the client is left in the registry", not reg, reg[:5])

        # 5. Over an older version.
        check("the older version installs", install(old_setup) == 0)
        check("the older version is registered", (registry(UNINST_KEY + "\\Velmora") or {}).get("DisplayVersion") == OLD)
        (folder / "cache").mkdir()
        (folder / "cache" / "Cookies").write_text("a player's login")
        check("the current version installs over it", install(new_setup) == 0)
        check("only the new files are left, and the player's cache",
              tree(folder) == SHIPPED | {"uninstall.exe", "cache/Cookies"},
              sorted(tree(folder) ^ (SHIPPED | {"uninstall.exe", "cache/Cookies"})))
        check("velmora.exe is the new one", version_of(folder / "velmora.exe") == NEW)
        entries = uninstall_entries()
        check("one Uninstall entry", entries == ["Velmora"], entries)
        check("it names the new version", (registry(UNINST_KEY + "\\Velmora") or {}).get("DisplayVersion") == NEW)
        code, gone = uninstall(folder)
        check("and it uninstalls", code == 0 and gone, code)

        # 6. /D= chooses another folder, one whose name no ANSI code page
        # holds; the client starts from its shortcut and keeps its cache there.
        games_win = "C:\\Игры\\Velmora Ω"
        games = PREFIX / "drive_c" / "Игры" / "Velmora Ω"
        # /D= takes the rest of the line, spaces and all, unquoted as a player
        # types it: Wine would quote one argument with a space, so the folder
        # is handed over in words that Wine joins with spaces.
        check("setup /S /D= exits with 0", install(new_setup, *("/D=" + games_win).split(" ")) == 0)
        check("/D= installs into that folder", tree(games) == SHIPPED | {"uninstall.exe"} and not folder.exists(),
              sorted(tree(games)))
        check("and registers it", (registry(UNINST_KEY + "\\Velmora") or {}).get("InstallLocation") == games_win,
              registry(UNINST_KEY + "\\Velmora"))
        start_menu = unix_path(r"C:\users\root\AppData\Roaming\Microsoft\Windows\Start Menu\Programs") / "Velmora.lnk"
        # Wine writes a shortcut's target in the ANSI code page only (Windows
        # adds the Unicode path), so under Wine the target of this one is lost
        # and the client is started as the shortcut starts it on Windows: its
        # Unicode working folder and icon name the install folder.
        workdir, icon = shortcut_folder_and_icon(start_menu) if start_menu.is_file() else (None, None)
        check("its Start-menu shortcut starts in that folder, with velmora.exe's icon",
              (workdir, icon) == (games_win, games_win + "\\velmora.exe"), (workdir, icon))
        play_and_close("client installed in C:\\Игры", games / "velmora.exe", unix_path(workdir or games_win), site)
        code, gone = uninstall(games)
        check("and it uninstalls from there", code == 0 and gone, code)
    finally:
        site.stop()
        subprocess.run(["wineserver", "-k"], check=False)


if __name__ == "__main__":
    try:
        main()
    finally:
        code = check.summary()
    sys.exit(code if check.results else 1)
