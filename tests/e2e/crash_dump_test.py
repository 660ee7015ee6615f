#!/usr/bin/env python3
"""A crash of the client's own process leaves a minidump for the operator,
and the thread checks of the browser client fire.

Runs the test build of velmora.exe (BIN_DIR/crashing/, with crash_trigger.cpp)
in a fresh folder that links the rest of BIN_DIR:
  1. --crash-test=access-violation: a fault on the main thread. A dump named
     velmora-DATE-TIME-VERSION.dmp appears in crashes\\ beside cache\\, with
     the exception code and velmora.exe among its modules; of the 5 older
     dumps put there first, the oldest is gone (the newest 5 are kept).
  2. --crash-test=wrong-thread with VELMORA_THREAD_CHECKS=fatal (as in every
     test run): a client callback called off CEF's UI thread stops the
     process with STATUS_ASSERTION_FAILURE, and its dump says so.
  3. The same with another value, as players run the client: the failed
     check is reported but the client goes on and closes with exit code 0.
  4. --crash-test=heap-locked: the fault happens with the heap's lock held,
     which the dump thread needs to open its file: no dump can be written,
     and the process ends a few seconds later instead of holding the
     player's profile for the dump's full minute.
The dumps are read with PyPI's minidump (scripts/setup.d/minidump.sh).
  crash_dump_test.py BIN_DIR REPO_DIR
"""
import datetime
import logging
import os
import pathlib
import re
import sys
import tempfile
import time

from client_driver import Checks, Client, DemoSite, client_command_lines, no_client_left, wait_for

BIN = pathlib.Path(sys.argv[1]).resolve()
REPO = pathlib.Path(sys.argv[2]).resolve()
OUT = REPO / "build" / "test-results" / "e2e-crash"
CACHE = pathlib.Path(os.environ.get("VELMORA_CACHE") or
                     pathlib.Path(os.environ.get("XDG_CACHE_HOME") or pathlib.Path.home() / ".cache") / "velmora")
sys.path.insert(0, str(CACHE / "python" / "minidump-0.0.24"))
from minidump.minidumpfile import MinidumpFile  # noqa: E402

ACCESS_VIOLATION = 0xC0000005
ASSERTION_FAILURE = 0xC0000420
WINE_STREAM = 0xFFF0  # Wine's own stream, which the parser rejects
OLD_DUMPS = [f"velmora-2020010{day}-000000-0.9.0.dmp" for day in range(1, 6)]
check = Checks()


def version():
    text = (BIN.parent / "product.nsh").read_text()
    return re.search(r'!define VERSION "([^"]+)"', text).group(1)


def read_dump(path):
    """The dump parsed, after blanking the directory entries of Wine's stream."""
    data = bytearray(path.read_bytes())
    count, directory = int.from_bytes(data[8:12], "little"), int.from_bytes(data[12:16], "little")
    for entry in range(directory, directory + 12 * count, 12):
        if int.from_bytes(data[entry:entry + 4], "little") == WINE_STREAM:
            data[entry:entry + 12] = bytes(12)
    # The parser logs a traceback when a dump lacks the process block's
    # memory, which a normal dump does not hold.
    logging.disable(logging.ERROR)
    return MinidumpFile.parse_bytes(bytes(data))


def dumps(folder):
    return sorted(p.name for p in (folder / "crashes").glob("velmora-*.dmp"))


def run_client(folder, name, kind, fatal):
    out = OUT / name
    out.mkdir(parents=True, exist_ok=True)
    # Any other value than "fatal" is a player's setting.
    os.environ["VELMORA_THREAD_CHECKS"] = "fatal" if fatal else "report"
    site = DemoSite(REPO, out)
    client = Client(REPO, folder, out, site, f"velmora-crash-{os.getpid()}-{name}",
                    extra_flags=[f"--crash-test={kind}"])
    return site, client


def crash_case(folder, name, kind, code, before):
    started = datetime.datetime.now(datetime.timezone.utc)
    site, client = run_client(folder, name, kind, fatal=True)
    try:
        exit_code = client.wait(90)
        check(f"{name}: the client ends by itself", exit_code is not None)
        check(f"{name}: with a failure's exit code, not 0", exit_code not in (None, 0), exit_code)
        check(f"{name}: no client process is left", no_client_left(), client_command_lines())
    finally:
        client.kill()
        site.stop()
    ended = datetime.datetime.now(datetime.timezone.utc)
    new = [d for d in dumps(folder) if d not in before]
    check(f"{name}: one new dump in crashes\\ beside cache\\", len(new) == 1 and (folder / "cache").is_dir(),
          (new, sorted(os.listdir(folder / "crashes"))))
    if len(new) != 1:
        return
    match = re.fullmatch(r"velmora-(\d{8}-\d{6})-(.+)\.dmp", new[0])
    when = datetime.datetime.strptime(match.group(1), "%Y%m%d-%H%M%S").replace(
        tzinfo=datetime.timezone.utc) if match else None
    check(f"{name}: the dump is named with the time of the crash (UTC) and the version",
          match and match.group(2) == version() and started - datetime.timedelta(seconds=2) <= when <= ended,
          (new[0], started, ended))
    dump = read_dump(folder / "crashes" / new[0])
    record = dump.exception.exception_records[0].ExceptionRecord if dump.exception else None
    check(f"{name}: the dump holds the exception code {code:#x}", record and record.ExceptionCode_raw == code,
          record and hex(record.ExceptionCode_raw))
    modules = [m.name.replace("\\", "/").rsplit("/", 1)[-1].lower() for m in dump.modules.modules]
    check(f"{name}: velmora.exe is in the dump's module list", "velmora.exe" in modules, modules[:5])


def main():
    started = time.time()
    with tempfile.TemporaryDirectory(prefix="velmora-crash-") as folder:
        folder = pathlib.Path(folder)
        for entry in BIN.iterdir():
            if entry.name not in ("velmora.exe", "cache", "crashes", "crashing"):
                (folder / entry.name).symlink_to(entry)
        (folder / "velmora.exe").symlink_to(BIN / "crashing" / "velmora.exe")
        (folder / "crashes").mkdir()
        for old in OLD_DUMPS:
            (folder / "crashes" / old).write_bytes(b"older dump")
        (folder / "crashes" / "notes.txt").write_text("the operator's own file")

        before = dumps(folder)
        crash_case(folder, "access-violation", "access-violation", ACCESS_VIOLATION, before)
        kept = dumps(folder)
        check("the newest 5 dumps are kept: the oldest is deleted", len(kept) == 5 and OLD_DUMPS[0] not in kept
              and set(OLD_DUMPS[1:]) <= set(kept), kept)
        check("other files in crashes\\ stay", (folder / "crashes" / "notes.txt").exists())

        crash_case(folder, "wrong-thread-fatal", "wrong-thread", ASSERTION_FAILURE, kept)
        check("still the newest 5", len(dumps(folder)) == 5 and OLD_DUMPS[1] not in dumps(folder), dumps(folder))

        before = dumps(folder)
        site, client = run_client(folder, "wrong-thread-reported", "wrong-thread", fatal=False)
        try:
            # Once the site has seen the portal, the client's desktop exists
            # and windriver can join it.
            check("reported only: start-up loads the portal",
                  wait_for(lambda: "/wd/wd-vlmr/index.htm" in site.paths(), 60))
            check("reported only: the login window is shown", wait_for(client.login_window, 20))
            time.sleep(4)  # the trigger fires a second after the login window
            check("reported only: the client goes on", client.process.poll() is None and client.login_window())
            client.click("Velmora", 1057, 20)
            code = client.wait(60)
            check("reported only: closing the login window ends the client with exit code 0", code == 0, code)
            check("reported only: no dump is written", dumps(folder) == before, dumps(folder))
        finally:
            client.kill()
            site.stop()

        site, client = run_client(folder, "heap-locked", "heap-locked", fatal=True)
        try:
            check("heap-locked: the login window is shown",
                  wait_for(lambda: "/wd/wd-vlmr/index.htm" in site.paths(), 60) and wait_for(client.login_window, 20))
            # The fault comes a second after the login window; a dump thread
            # that cannot start is given 5 s, where it used to get 60.
            code = client.wait(30)
            check("heap-locked: the client ends by itself well within the dump's minute", code is not None)
            check("heap-locked: with a failure's exit code, not 0", code not in (None, 0), code)
            check("heap-locked: no client process is left", no_client_left(), client_command_lines())
        finally:
            client.kill()
            site.stop()
    print(f"(took {time.time() - started:.1f} s)")
    return check.summary()


if __name__ == "__main__":
    sys.exit(main())
