#!/usr/bin/env python3
"""Integration tests of the browser client with the real libcef under Wine.

Serves pages on 127.0.0.1, runs cefbrowser.exe (the product's SimpleApp and
SimpleHandler in a plain window) inside Wine's virtual desktop and checks
what reached the window, what the server saw and what the processes logged.
Every run is bounded; the script ends with a line "N passed, N failed".

  cefbrowser_integration.py --exe build/win/bin/cefbrowser.exe
      [--fake-cef tests-bin/fakecef/libcef.dll] [--results build/test-results]
"""
import argparse
import http.server
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
WINE_RUN = os.path.join(REPO, "scripts", "wine-run.sh")
SWITCHES = ["--disable-web-security", "--enable-system-flash", "--enable-npapi"]
# Chromium under Wine needs these on the browser process's command line.
with open(os.path.join(REPO, "scripts", "cef-wine-switches")) as switches:
    WINE_SWITCHES = switches.read().split()
# Chromium escapes markup in paths and queries, but not in fragments.
MARKUP = "'\"><svg/onload=window.injected=1>"

results = []


def check(name, ok, detail=""):
    results.append(ok)
    print(("PASS " if ok else "FAIL ") + name + ("" if ok or not detail else ": " + str(detail)))
    sys.stdout.flush()


def wine_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def free_port():
    # Bound and closed again: nothing listens there, so a load is refused.
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


class Site:
    """The test pages, served on 127.0.0.1 from a thread of this process."""

    def __init__(self, refused_port):
        self.requests = []
        self.proceed = threading.Event()
        site = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                site.requests.append(self.path)
                status, body = site.page(self.path)
                data = body.encode("utf-8")
                self.send_response(status)
                self.send_header("Content-Type", "text/html; charset=utf-8")
                self.send_header("Content-Length", str(len(data)))
                self.send_header("Cache-Control", "no-store")
                self.end_headers()
                self.wfile.write(data)

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.port = self.server.server_address[1]
        self.base = "http://127.0.0.1:%d" % self.port
        self.marker_url = self.base + "/g/velmoLogin?user=42&session=abc"
        self.failed_url = "http://127.0.0.1:%d/fail?a=1&b=2#%s" % (refused_port, MARKUP)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def page(self, path):
        if path == "/start.html":
            # Waits (polling) until the screenshot has been taken, then
            # navigates to a URL carrying the login marker.
            return 200, """<html><head><title>Velmora loopback page</title></head>
<body style="background:#1d3557;color:#f1faee;font:32px sans-serif;padding:40px">
<h1>Velmora</h1><p>Served on 127.0.0.1 to the embedded browser.</p>
<script>
function poll() {
  var x = new XMLHttpRequest();
  x.onload = function() {
    if (x.responseText == 'go') location.href = %s; else setTimeout(poll, 200);
  };
  x.open('GET', '/proceed'); x.send();
}
poll();
</script></body></html>""" % repr(self.marker_url)
        if path == "/closing.html":
            return 200, """<html><head><title>Closing page</title></head><body>
<script>window.onunload = function() { document.title = 'Unloaded'; };</script>
<p>closing</p></body></html>"""
        if path == "/proceed":
            return 200, "go" if self.proceed.is_set() else "wait"
        if path.startswith("/g/velmoLogin"):
            # Asks for two popups, then loads from a refused port.
            return 200, """<html><head><title>Logged in page</title></head><body>
<a id="blank" href="/popup-from-link" target="_blank">new window</a>
<iframe src="/frame/g/velmoLogin?frame=1"></iframe>
<script>
window.onload = function() {
  window.open('/popup-from-script', 'named', 'width=300,height=200');
  document.getElementById('blank').click();
  setTimeout(function() { location.href = %s; }, 1500);
};
</script></body></html>""" % repr(self.failed_url)
        return 404, "<html><body>not here</body></html>"

    def close(self):
        self.server.shutdown()


def read_events(path):
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8", errors="replace") as f:
        return [line.rstrip("\n") for line in f]


def start_xvfb_if_needed(env):
    if env.get("DISPLAY"):
        return None
    n = 120
    while os.path.exists("/tmp/.X%d-lock" % n) or os.path.exists("/tmp/.X11-unix/X%d" % n):
        n += 1
    proc = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(100):
        if os.path.exists("/tmp/.X11-unix/X%d" % n):
            break
        time.sleep(0.05)
    env["DISPLAY"] = ":%d" % n
    return proc


def run_bounded(cmd, cwd, env, timeout):
    """Runs |cmd| in a process group of its own; kills that group on expiry."""
    proc = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, start_new_session=True)
    try:
        out, _ = proc.communicate(timeout=timeout)
        return proc.returncode, out.decode("utf-8", "replace")
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        out, _ = proc.communicate()
        return None, out.decode("utf-8", "replace")


def test_browser_session(exe, results_dir, env, work):
    refused = free_port()
    site = Site(refused)
    events_path = os.path.join(work, "events.log")
    run_env = dict(env, VELMORA_EVENT_LOG=wine_path(events_path))
    cmd = [WINE_RUN, "--desktop", exe, site.base + "/start.html", "--timeout-ms=60000",
           "--exit-on-title=DOC:", "--dump-error-pages"] + WINE_SWITCHES
    proc = subprocess.Popen(cmd, cwd=work, env=run_env, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, start_new_session=True)
    # Screenshot once the first page is showing, then let the page go on.
    shot = os.path.join(results_dir, "cefbrowser.png")
    deadline = time.time() + 60
    while time.time() < deadline and proc.poll() is None:
        if any(e == "PAGE_TITLE Velmora loopback page" for e in read_events(events_path)):
            time.sleep(1.0)  # let the page paint
            grab = subprocess.run(["import", "-display", env["DISPLAY"], "-window", "root", shot],
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=30)
            if grab.returncode != 0:
                print("import: " + grab.stdout.decode("utf-8", "replace"))
            break
        time.sleep(0.2)
    site.proceed.set()
    try:
        out, _ = proc.communicate(timeout=90)
        rc = proc.returncode
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        out, _ = proc.communicate()
        rc = None
    site.close()
    events = read_events(events_path)

    check("session ends by itself with exit code 0", rc == 0, "rc=%s\n%s" % (rc, out[-2000:]))
    check("session shuts CEF down cleanly", "SHUTDOWN" in events, "\n".join(events[-5:]))
    # The page's background colour inside the browser window shows that it rendered.
    pixel = ""
    if os.path.exists(shot):
        pixel = subprocess.run(["convert", shot, "-format", "%[pixel:p{500,500}]", "info:"],
                               stdout=subprocess.PIPE, timeout=30).stdout.decode().strip()
    check("screenshot shows the loopback page", pixel == "srgb(29,53,87)", "%s %s" % (shot, pixel))

    processes = [e for e in events if e.startswith("PROCESS ")]
    kinds = sorted(set(e.split(" ")[1] for e in processes))
    check("browser and renderer processes ran", "browser" in kinds and "renderer" in kinds,
          str(kinds))
    missing = [e[:80] for e in processes if not all(s in e for s in SWITCHES)]
    check("every process carries the three switches", processes and not missing, str(missing))

    check("page title reaches the host as WM_PAGE_TITLE",
          "PAGE_TITLE Velmora loopback page" in events)

    check("marker navigation sends WM_LOGIN_URL with the whole URL",
          ("LOGIN_URL " + site.marker_url) in events, str([e for e in events if "LOGIN" in e]))
    check("marker in a sub-frame navigation sends WM_LOGIN_URL too",
          ("LOGIN_URL " + site.base + "/frame/g/velmoLogin?frame=1") in events)
    check("marker page still loads", ("LOAD_END 200 " + site.marker_url) in events and
          "PAGE_TITLE Logged in page" in events)

    opened = [e for e in events if e.startswith("OPEN_EXTERNAL ")]
    check("window.open sends WM_OPEN_EXTERNAL",
          ("OPEN_EXTERNAL " + site.base + "/popup-from-script") in opened, str(opened))
    check("target=_blank link sends WM_OPEN_EXTERNAL",
          ("OPEN_EXTERNAL " + site.base + "/popup-from-link") in opened, str(opened))
    created = [e for e in events if e.startswith("BROWSER_CREATED")]
    popups_loaded = [p for p in site.requests if p.startswith("/popup")]
    check("no popup browser is created or loads", len(created) == 1 and not popups_loaded,
          "%s %s" % (created, popups_loaded))

    errors = [e for e in events if e.startswith("LOAD_ERROR ")]
    check("refused port reports ERR_CONNECTION_REFUSED",
          any(e.startswith("LOAD_ERROR -102 http://127.0.0.1:%d/fail" % refused) for e in errors),
          str(errors))
    doc = [e for e in events if e.startswith("PAGE_TITLE DOC:")]
    body = doc[0][len("PAGE_TITLE DOC:"):] if doc else ""
    print("error page read back: " + body)
    check("error page is shown in the failed frame", body.count("<h2>Failed to load URL http://127.0.0.1:") == 1
          and "(-102).</h2>" in body, body)
    # The heading, when it tries again and the link that tries at once.
    check("markup of the failed URL stays text",
          body.startswith("undefined:3:") and "<svg" not in body and "&lt;svg" in body, body)
    check("the error page says it tries again and links to the failed URL",
          "Trying again in 2 seconds." in body and 'href="http://127.0.0.1:%d/fail?a=1&amp;b=2#' % refused in body,
          body)

    check("cache folder appears under the working directory",
          os.path.isdir(os.path.join(work, "cache")), os.listdir(work))


def test_close_like_login_window(exe, env, work):
    # The window closes on the first title while the page may still be
    # loading, so load and title callbacks can arrive during CEF's shutdown.
    # That race is timing-dependent; three rounds make it likely to show.
    site = Site(free_port())
    outcomes = []
    for round_ in range(3):
        events_path = os.path.join(work, "events%d.log" % round_)
        run_env = dict(env, VELMORA_EVENT_LOG=wine_path(events_path))
        rc, out = run_bounded([WINE_RUN, "--desktop", exe, site.base + "/closing.html",
                               "--timeout-ms=60000", "--exit-on-title=Closing page",
                               "--close-like-login-window"] + WINE_SWITCHES, work, run_env, 60)
        tail = [e for e in read_events(events_path)
                if e in ("SHUTDOWN_WITH_BROWSER_OPEN", "MESSAGE_LOOP_RETURNED", "SHUTDOWN")]
        outcomes.append((rc, tail))
    site.close()
    check("shutdown with the browser open ends with exit code 0",
          all(rc == 0 for rc, _ in outcomes), str(outcomes))
    check("message loop and second shutdown after shutdown end without effect",
          all(t == ["SHUTDOWN_WITH_BROWSER_OPEN", "MESSAGE_LOOP_RETURNED", "SHUTDOWN"]
              for _, t in outcomes), str(outcomes))


def test_sub_process(exe, env, work):
    events_path = os.path.join(work, "events.log")
    run_env = dict(env, VELMORA_EVENT_LOG=wine_path(events_path))
    rc, out = run_bounded([WINE_RUN, exe, "--type=utility", "--channel=velmora.none"] + WINE_SWITCHES,
                          work, run_env, 60)
    events = read_events(events_path)
    check("sub-process returns CEF's exit code", rc == 0, "rc=%s %s" % (rc, out[-500:]))
    check("sub-process gets the switches and goes no further",
          len(events) == 1 and events[0].startswith("PROCESS utility ")
          and all(s in events[0] for s in SWITCHES), str(events))
    check("sub-process creates no cache folder", not os.path.exists(os.path.join(work, "cache")))


def test_api_hash_mismatch(exe, fake_cef, env, work):
    # A libcef.dll that reports another API revision: the process must end
    # at once with 0, before touching anything.
    folder = os.path.join(work, "bin")
    os.makedirs(folder)
    shutil.copy(exe, folder)
    shutil.copy(fake_cef, os.path.join(folder, "libcef.dll"))
    events_path = os.path.join(work, "events.log")
    run_env = dict(env, VELMORA_EVENT_LOG=wine_path(events_path))
    rc, out = run_bounded([WINE_RUN, os.path.join(folder, os.path.basename(exe)),
                           "http://127.0.0.1:9/"], work, run_env, 60)
    check("API hash mismatch ends the process with 0", rc == 0, "rc=%s %s" % (rc, out[-500:]))
    check("API hash mismatch creates nothing",
          not read_events(events_path) and not os.path.exists(os.path.join(work, "cache")),
          str(read_events(events_path)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--fake-cef")
    parser.add_argument("--results", default=os.path.join(REPO, "build", "test-results"))
    args = parser.parse_args()
    os.makedirs(args.results, exist_ok=True)
    env = dict(os.environ)
    xvfb = start_xvfb_if_needed(env)
    try:
        with tempfile.TemporaryDirectory(prefix="velmora-cef-") as tmp:
            for name in ("session", "closing", "subprocess", "hash"):
                os.makedirs(os.path.join(tmp, name))
            test_browser_session(os.path.abspath(args.exe), args.results, env,
                                 os.path.join(tmp, "session"))
            test_close_like_login_window(os.path.abspath(args.exe), env,
                                         os.path.join(tmp, "closing"))
            test_sub_process(os.path.abspath(args.exe), env, os.path.join(tmp, "subprocess"))
            if args.fake_cef:
                test_api_hash_mismatch(os.path.abspath(args.exe), args.fake_cef, env,
                                       os.path.join(tmp, "hash"))
    finally:
        if xvfb:
            xvfb.terminate()
            xvfb.wait()
    passed = sum(1 for r in results if r)
    failed = len(results) - passed
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
