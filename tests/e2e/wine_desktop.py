"""What the tests that drive the real client under Wine share: the demo
operator site as the client's proxy, the client's switches, waiting, and a
Wine virtual desktop that tools/windriver and xdotool work in.

Every Wine process started here inherits the caller's environment
(DISPLAY, WINEPREFIX, ...)."""
import json
import os
import pathlib
import subprocess
import sys
import time

# The login window's close button, in the window's client coordinates.
LOGIN_CLOSE_BUTTON = (1057, 20)
LOGIN_WIDTH = 1080


def wait_for(predicate, seconds=20.0, step=0.25):
    deadline = time.time() + seconds
    while True:
        value = predicate()
        if value or time.time() > deadline:
            return value
        time.sleep(step)


def start_demo_site(repo, out):
    """Starts demo/site.py logging to out/requests.log; returns (process, proxy)."""
    ready = out / "site.json"
    ready.unlink(missing_ok=True)
    site = subprocess.Popen([sys.executable, str(repo / "demo" / "site.py"), "--log", str(out / "requests.log"),
                             "--ready", str(ready)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for(ready.exists, 10, 0.1)
        return site, json.loads(ready.read_text())["proxy"]
    except (OSError, ValueError, KeyError):
        site.terminate()
        site.wait()
        raise


def client_processes(prefix=None):
    """velmora.exe processes of one Wine prefix (the current one by default),
    whoever else runs a client on this machine."""
    prefix = prefix or os.environ.get("WINEPREFIX", "")
    found = []
    pids = subprocess.run(["pgrep", "-f", r"velmora\.exe"], stdout=subprocess.PIPE, text=True).stdout.split()
    for pid in pids:
        try:
            environ = pathlib.Path(f"/proc/{pid}/environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if f"WINEPREFIX={prefix}".encode() in environ:
            found.append(pid)
    return found


def client_switches(repo, proxy):
    """The switches CEF needs under Wine, and the demo site as its proxy."""
    flags = (repo / "scripts" / "cef-wine-switches").read_text().split()
    return flags + [f"--proxy-server={proxy}", "--ignore-certificate-errors"]


class Desktop:
    """A named Wine virtual desktop: windriver runs inside it, screenshots
    and driver output go to `out`."""

    def __init__(self, name, windriver, out):
        self.name, self.windriver, self.out = name, pathlib.Path(windriver), pathlib.Path(out)

    def screenshot(self, name):
        subprocess.run(["import", "-window", "root", "-display", os.environ["DISPLAY"], str(self.out / f"{name}.png")],
                       check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def drive(self, *args):
        """Runs windriver inside the desktop and returns its output."""
        out = self.out / "driver.txt"
        out.unlink(missing_ok=True)
        env = dict(os.environ, VELMORA_DRIVER_OUT="Z:" + str(out).replace("/", "\\"))
        subprocess.run(["wine", "explorer", f"/desktop={self.name}", str(self.windriver), *map(str, args)],
                       env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        # The program runs on inside the desktop: wait for its output.
        wait_for(lambda: out.exists() and out.stat().st_size > 0, 5, 0.1)
        return out.read_text() if out.exists() else ""

    def click(self, title, x, y):
        """A real click at a point of a window, given in its client coordinates."""
        at = self.drive("point", "XMLWnd", title, x, y).split()
        if len(at) != 2:
            return False
        subprocess.run(["xdotool", "mousemove", at[0], at[1], "click", "1"], check=False)
        time.sleep(0.3)
        return True

    def windows(self, title):
        """Top-level XMLWnd windows with this title: (hwnd, visible, rect)."""
        found = []
        for line in self.drive("list", "XMLWnd", title).splitlines():
            parts = line.split()
            if len(parts) == 6:
                found.append((int(parts[0]), parts[1] == "1", tuple(map(int, parts[2:]))))
        return found

    def visible(self, title):
        return [w for w in self.windows(title) if w[1]]

    def login_window(self):
        for hwnd, shown, rect in self.visible("Velmora"):
            if rect[2] - rect[0] == LOGIN_WIDTH:
                return hwnd, rect
        return None

    def close_login(self):
        return self.click("Velmora", *LOGIN_CLOSE_BUTTON)
