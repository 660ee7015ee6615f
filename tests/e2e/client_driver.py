"""Drives the real velmora.exe under Wine for the end-to-end tests.

Everything is observed from outside the client: the demo site's request log,
the windows as another process sees them (tools/windriver), X input with
xdotool, screenshots of the screen and the process's exit code. Used by the
tests in this folder, which run inside the Wine environment of
scripts/test.sh (DISPLAY, WINEPREFIX and VELMORA_URL_LOG set).
"""
import json
import os
import pathlib
import subprocess
import sys
import time

SCREEN_W, SCREEN_H = 1280, 800
WM_USER = 0x400
WM_TRAY_NOTIFY = WM_USER + 1005
WM_SYSCOMMAND = 0x112
WM_LBUTTONUP = 0x202
SC_RESTORE = 0xF120
WS_CAPTION = 0x00C00000
TRAY_ICON_ID = 102


# The ways a player closes the client from its login window.
CLOSINGS = ("button", "WM_CLOSE", "Alt+F4")


def wait_for(predicate, seconds=20.0, step=0.25):
    deadline = time.time() + seconds
    while True:
        value = predicate()
        if value or time.time() > deadline:
            return value
        time.sleep(step)


class Checks:
    """Prints one line per check and the closing "N passed, N failed"."""

    def __init__(self):
        self.results = []

    def __call__(self, name, ok, detail=""):
        self.results.append(bool(ok))
        print(f"{'ok  ' if ok else 'FAIL'} {name}{'' if ok else ': ' + str(detail)}", flush=True)
        return ok

    def summary(self):
        failed = self.results.count(False)
        print(f"{len(self.results) - failed} passed, {failed} failed")
        return 1 if failed else 0


class DemoSite:
    """demo/site.py on 127.0.0.1, with its request log in |out|."""

    def __init__(self, repo, out, *options, control=False):
        self.log = out / "requests.log"
        ready = out / "site.json"
        ready.unlink(missing_ok=True)
        # With |control| the site takes refuse/stall commands (command()).
        self.process = subprocess.Popen(
            [sys.executable, str(repo / "demo" / "site.py"), "--log", str(self.log), "--ready", str(ready),
             *options, *(["--control"] if control else [])],
            stdin=subprocess.PIPE if control else None, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(ready.exists, 10, 0.1)
        self.proxy = json.loads(ready.read_text())["proxy"]

    def requests(self):
        return self.log.read_text().splitlines() if self.log.exists() else []

    def paths(self):
        """The path of each request, without the cookie the log may add."""
        return [line.split("\t")[0].split(" ", 2)[2] for line in self.requests() if line.count(" ") >= 2]

    def command(self, line):
        """"refuse HOST SECONDS" or "stall HOST SECONDS" (see demo/site.py)."""
        self.process.stdin.write((line + "\n").encode())
        self.process.stdin.flush()

    def stop(self):
        self.process.terminate()
        self.process.wait()


class Client:
    """One velmora.exe (bin_dir's, or |exe|, such as an installed one) in a
    Wine virtual desktop of its own name. |title| is the product name of its
    operator file, the caption of its login and game windows."""

    def __init__(self, repo, bin_dir, out, site, desktop, cwd=None, extra_flags=(), exe=None, title="Velmora"):
        self.repo, self.bin, self.out, self.desktop, self.title = repo, bin_dir, out, desktop, title
        flags = (repo / "scripts" / "cef-wine-switches").read_text().split()
        flags += [f"--proxy-server={site.proxy}", "--ignore-certificate-errors", *extra_flags]
        env = dict(os.environ, VELMORA_DESKTOP=desktop)
        # Wine's own messages, kept for when the client ends badly.
        self.log = out / f"client-{desktop}.log"
        with open(self.log, "wb") as log:
            self.process = subprocess.Popen(
                [str(repo / "scripts" / "wine-run.sh"), "--desktop", str(exe or bin_dir / "velmora.exe"), *flags],
                cwd=cwd or bin_dir, env=env, stdout=log, stderr=subprocess.STDOUT)

    # ---- observing ----

    def drive(self, *args):
        """Runs windriver inside the client's desktop and returns its output."""
        out = self.out / f"driver-{self.desktop}.txt"
        out.unlink(missing_ok=True)
        env = dict(os.environ, VELMORA_DRIVER_OUT="Z:" + str(out).replace("/", "\\"))
        try:
            subprocess.run(["wine", "explorer", f"/desktop={self.desktop}", str(self.bin / "windriver.exe"),
                            *map(str, args)], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=60)
        except subprocess.TimeoutExpired:
            print(f"     windriver {' '.join(map(str, args))} did not return", flush=True)
            return ""
        # The program runs on inside the desktop: wait for its output.
        wait_for(lambda: out.exists() and out.stat().st_size > 0, 5, 0.1)
        return out.read_text() if out.exists() else ""

    def windows(self, title, cls="XMLWnd"):
        """Top-level windows of a class with this title: (hwnd, visible, rect)."""
        found = []
        for line in self.drive("list", cls, title).splitlines():
            parts = line.split()
            if len(parts) == 6:
                found.append((int(parts[0]), parts[1] == "1", tuple(map(int, parts[2:]))))
        return found

    def visible(self, title, cls="XMLWnd"):
        return [w for w in self.windows(title, cls) if w[1]]

    def login_window(self):
        for hwnd, shown, rect in self.visible(self.title):
            if rect[2] - rect[0] == 1080:
                return hwnd, rect
        return None

    def game_window(self, min_width=1100):
        """The visible product window that is the size of the work area."""
        for hwnd, shown, rect in self.visible(self.title):
            if rect[2] - rect[0] > min_width:
                return hwnd, rect
        return None

    def style(self, hwnd):
        out = self.drive("style", hwnd).split()
        return int(out[0], 16) if out else 0

    def screenshot(self, name):
        subprocess.run(["import", "-window", "root", "-display", os.environ["DISPLAY"], str(self.out / f"{name}.png")],
                       check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    # ---- acting as a player ----

    def click(self, title, x, y):
        """A real click at a point of a window, given in its client coordinates."""
        at = self.drive("point", "XMLWnd", title, x, y).split()
        if len(at) != 2:
            return False
        subprocess.run(["xdotool", "mousemove", at[0], at[1], "click", "1"], check=False)
        time.sleep(0.3)
        return True

    @staticmethod
    def key(*names):
        """Real key presses, to whatever holds the keyboard focus."""
        for name in names:
            subprocess.run(["xdotool", "key", name], check=False)
            time.sleep(0.3)

    @staticmethod
    def type(text):
        subprocess.run(["xdotool", "type", "--delay", "120", text], check=False)
        time.sleep(0.3)

    @staticmethod
    def move_mouse(x, y):
        subprocess.run(["xdotool", "mousemove", str(x), str(y)], check=False)
        time.sleep(0.3)

    # ---- ending ----

    def close_login(self, way):
        """Closes the client from its login window one of CLOSINGS' ways."""
        if way == "button":
            self.click(self.title, 1057, 20)
        elif way == "WM_CLOSE":  # what the taskbar's Close sends
            self.drive("close", "XMLWnd", self.title)
        else:  # a real Alt+F4, to whatever holds the keyboard
            self.key("alt+F4")

    def close_with_buttons(self, check, game_width=None):
        """Closes the game window (when its width is given) and then the
        client with their close buttons; checks that it ends cleanly."""
        if game_width:
            self.click(self.title, game_width - 23, 16)
            check("closing the game shows the login again", wait_for(self.login_window, 10))
        self.click(self.title, 1057, 20)
        code = self.wait(60)
        check("closing the login window ends the process with exit code 0", code == 0, code)
        check("no client process is left", no_client_left(), client_command_lines())

    def wait(self, seconds=60):
        try:
            return self.process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            return None

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()


def run_one_client(repo, bin_dir, out, desktop, steps, check, site_options=(), control=False, extra_flags=(),
                   before_start=None):
    """Starts the demo site (with |site_options|) and one client, runs
    steps(client, site), and stops both whatever happens; returns the
    checks' exit code. before_start(site) runs before the client starts."""
    out.mkdir(parents=True, exist_ok=True)
    site = DemoSite(repo, out, *site_options, control=control)
    client = None
    try:
        if before_start:
            before_start(site)
        client = Client(repo, bin_dir, out, site, desktop, extra_flags=extra_flags)
        steps(client, site)
    finally:
        if client:
            client.kill()
        site.stop()
    return check.summary()


def client_processes(prefix=None):
    """velmora.exe processes of one Wine prefix (this process's by default):
    other clients may run on the same machine under other prefixes."""
    prefix = prefix or os.environ.get("WINEPREFIX", "")
    found = []
    for pid in subprocess.run(["pgrep", "-f", r"velmora\.exe"], stdout=subprocess.PIPE, text=True).stdout.split():
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                environ = f.read().split(b"\0")
        except OSError:
            continue
        if f"WINEPREFIX={prefix}".encode() in environ:
            found.append(pid)
    return found


def client_command_lines():
    return [pathlib.Path(f"/proc/{pid}/cmdline").read_bytes().replace(b"\0", b" ").decode(errors="replace")
            for pid in client_processes() if pathlib.Path(f"/proc/{pid}/cmdline").exists()]


def no_client_left(seconds=30):
    return wait_for(lambda: not client_processes(), seconds)
