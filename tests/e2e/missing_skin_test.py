#!/usr/bin/env python3
"""velmora.exe without its skin folder: the login window cannot be made, and
the client must end by itself with exit code 0, leaving no process behind.

The executable and CEF's files are linked into a fresh folder that lacks
skin/, since the client looks for its layouts beside the executable.
  missing_skin_test.py BIN_DIR REPO_DIR
"""
import os
import pathlib
import subprocess
import sys
import tempfile
import time

BIN = pathlib.Path(sys.argv[1]).resolve()
REPO = pathlib.Path(sys.argv[2]).resolve()


def client_processes():
    return subprocess.run(["pgrep", "-f", r"noskin.*velmora\.exe"], stdout=subprocess.PIPE, text=True).stdout.split()


def main():
    passed = failed = 0
    with tempfile.TemporaryDirectory(prefix="velmora-noskin-") as folder:
        folder = pathlib.Path(folder)
        for entry in BIN.iterdir():
            if entry.name != "skin":
                (folder / entry.name).symlink_to(entry)
        flags = (REPO / "scripts" / "cef-wine-switches").read_text().split()
        started = time.time()
        try:
            code = subprocess.run([str(REPO / "scripts" / "wine-run.sh"), "--desktop", str(folder / "velmora.exe"),
                                   *flags], cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                  timeout=120).returncode
        except subprocess.TimeoutExpired:
            code = None
        for name, ok, detail in [
            # The cache folder shows that start-up went past CEF's sub-process
            # check (a libcef that failed to load would also end with 0).
            ("start-up ran as the browser process", (folder / "cache").is_dir(), sorted(os.listdir(folder))[:5]),
            ("without skins the client ends with exit code 0", code == 0, code),
            ("no client process is left", not client_processes(), client_processes()),
        ]:
            print(f"{'ok  ' if ok else 'FAIL'} {name}{'' if ok else ': ' + str(detail)}")
            passed, failed = passed + ok, failed + (not ok)
        print(f"(took {time.time() - started:.1f} s)")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
