#!/usr/bin/env python3
"""A small operator site for trying the client on one machine.

Serves, on 127.0.0.1, for the client's fixed host names:
  * over HTTP: the portal page /wd/wd-vlmr/index.htm, the game page behind the
    login marker /g/velmoLogin, and the game's assets under /pnox_cdn/;
  * over HTTPS (a certificate it makes itself): the test login page /swtest.html.
The paths are answered for any host, so another operator's client can be
tried against the same site.

Every request is appended to the request log, one line each:
  <scheme> <method> <path-with-query>[<TAB>cookie: <Cookie header>]

Requests for any other host (a foreign one, or another operator's) carry
it in the log as a scheme-relative address: "http GET //evil.example/x".
With --hostile the portal and the game page carry a man in the middle's
script that tries to reach foreign hosts and the player's own machine
(demo/hostile.py); foreign hosts are answered with pages that would steal.

The portal page gives a browser without one a persistent cookie "visitor"
with a number of its own, so that a test can tell which profile a client runs
on. The game page reports each key it receives as a request to /keys; the
portal and the game page report their devicePixelRatio and CSS size to
/screen (page=, dpr=, w=, h=) when they load and when they are resized.

The client's host names lead here because the site is also the browser's
proxy (--proxy-server=127.0.0.1:HTTP_PORT): plain requests arrive with their
absolute address, and HTTPS arrives as a CONNECT tunnel to the HTTPS port.
This CEF build ignores --host-resolver-rules, so the proxy does the mapping.

With --game 2048 the login marker leads to the unmodified 2048 game instead
(fetched into the cache by scripts/setup.d/game-2048.sh), whose files are
served under /2048/ on the game host.

With --control the site reads commands on its standard input, one a line,
so that only the program that started it can cut a host off for a while:
  refuse HOST SECONDS   requests for HOST get the connection closed unanswered
  stall HOST SECONDS    requests for HOST are held open and never answered
A command's SECONDS count from the first request for HOST after it, so that
"refuse HOST 10" reads: the host answers 10 s after the browser first asked.
Those requests are logged with "<TAB>refused <T>" or "<TAB>stalled <T>", T
being the seconds since the site started.

With --updates DIR the files of DIR are served under /updates/ (the update
feed and installers that scripts/package.sh writes): on the client's hosts
through the proxy, over HTTPS too, and on 127.0.0.1 itself. A query
"?cut=N" announces the whole length but sends only N bytes and closes, as a
broken connection would.

  site.py --http-port 0 --https-port 0 --log requests.log --ready ready.json [--game 2048]
          [--hostile] [--control] [--updates DIR] [--cert-dir DIR]
"""
import argparse
import http.server
import io
import json
import math
import mimetypes
import os
import pathlib
import select
import socket
import ssl
import struct
import subprocess
import sys
import threading
import time
import urllib.parse
import wave
import zlib

import hostile

HERE = pathlib.Path(__file__).resolve().parent
PAGES = HERE / "pages"

PORTAL_HOST = "www.velmora.example"
LOGIN_HOST = "login.velmora.example"
GAME_HOST = "game.velmora.example"
CDN_HOST = "cdn.velmora.example"
OPERATOR_HOSTS = (PORTAL_HOST, LOGIN_HOST, GAME_HOST, CDN_HOST)


def png_bytes(width, height, colour_at):
    """A tiny PNG encoder for the demo's generated pictures."""
    rows = b"".join(b"\x00" + b"".join(bytes(colour_at(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


def chime_wav():
    """Half a second of a soft two-tone chime."""
    rate = 22050
    out = io.BytesIO()
    with wave.open(out, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        frames = bytearray()
        for i in range(rate // 2):
            t = i / rate
            fade = math.exp(-4 * t)
            sample = 0.3 * fade * (math.sin(2 * math.pi * 660 * t) + 0.5 * math.sin(2 * math.pi * 990 * t))
            frames += struct.pack("<h", int(sample * 32767 / 1.5))
        w.writeframes(bytes(frames))
    return out.getvalue()


def banner_png():
    def colour(x, y):
        glow = max(0, 255 - abs(x - 160) - 2 * abs(y - 30))
        return (20 + glow // 4, 24 + glow // 3, 48 + glow // 2)
    return png_bytes(320, 60, colour)


ASSETS = {
    "/pnox_cdn/img/banner.png": ("image/png", banner_png()),
    "/pnox_cdn/sound/chime.wav": ("audio/wav", chime_wav()),
    "/pnox_cdn/data/realm.xml": ("text/xml; charset=UTF-8", b"<realm name=\"Aurel\" level=\"1\"/>"),
}


GAME_2048 = "/2048/"
STARTED = time.monotonic()
# A stalled request is let go after this long even if the browser waits on.
LONGEST_STALL = 120


class Cuts:
    """The hosts cut off by --control commands: host -> [mode, seconds, until]."""
    lock = threading.Lock()
    hosts = {}

    @classmethod
    def set(cls, mode, host, seconds):
        with cls.lock:
            cls.hosts[host] = [mode, seconds, None]

    @classmethod
    def mode(cls, host):
        """The cut for a request to |host| arriving now, or None."""
        now = time.monotonic()
        with cls.lock:
            cut = cls.hosts.get(host)
            if not cut:
                return None
            if cut[2] is None:
                cut[2] = now + cut[1]
            return cut[0] if now < cut[2] else None


def read_commands():
    for line in sys.stdin:
        words = line.split()
        if len(words) == 3 and words[0] in ("refuse", "stall"):
            Cuts.set(words[0], words[1], float(words[2]))


UPDATES = "/updates/"
# Downloads and the site's certificate live in the project's cache.
CACHE = pathlib.Path(os.environ.get("VELMORA_CACHE") or
                     pathlib.Path(os.environ.get("XDG_CACHE_HOME") or pathlib.Path.home() / ".cache") / "velmora")


class Site(http.server.BaseHTTPRequestHandler):
    server_version = "VelmoraDemo/1.0"
    log_lock = threading.Lock()
    log_path = None
    game_dir = None  # the 2048 game's folder when it is the game page
    updates_dir = None  # the folder served under /updates/
    hostile = False  # the man in the middle's script in the operator's pages
    host = ""  # the host of the request being answered

    def log_message(self, *args):  # the request log replaces stderr chatter
        pass

    visitors = 0

    def record(self, cut=None):
        scheme = "https" if isinstance(self.connection, ssl.SSLSocket) else "http"
        cookie = self.headers.get("Cookie")
        where = self.path if self.host in OPERATOR_HOSTS else f"//{self.host}{self.path}"
        line = f"{scheme} {self.command} {where}" + (f"\tcookie: {cookie}" if cookie else "")
        if cut:
            line += f"\t{cut} {time.monotonic() - STARTED:.2f}"
        with self.log_lock, open(self.log_path, "a", encoding="utf-8") as log:
            log.write(line + "\n")

    def visitor_cookie(self):
        """A new visitor number for a browser that brings none."""
        if "visitor=" in (self.headers.get("Cookie") or ""):
            return None
        with self.log_lock:
            Site.visitors += 1
            number = Site.visitors
        return f"visitor={number}; Max-Age=2592000; Path=/"

    def send_bytes(self, status, content_type, body, cookie=None, cors=False):
        self.send_response(status)
        if cookie:
            self.send_header("Set-Cookie", cookie)
        if cors:
            self.send_header("Access-Control-Allow-Origin", "*")
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def page(self, name):
        body = (PAGES / name).read_bytes()
        return hostile.inject(body) if self.hostile and name in ("portal.htm", "game.html") else body

    def cut_off(self, host):
        """Refuses or stalls this request when a command cut |host| off."""
        mode = Cuts.mode(host)
        if not mode:
            return False
        self.record({"refuse": "refused", "stall": "stalled"}[mode])
        self.close_connection = True
        if mode == "stall":
            # Nothing is ever sent; the browser gives up and closes.
            select.select([self.connection], [], [], LONGEST_STALL)
        return True

    def do_CONNECT(self):
        """Tunnels HTTPS to our own HTTPS port; a tunnel to any host but the
        demo operator's is logged too."""
        host = self.path.rsplit(":", 1)[0]
        if host not in OPERATOR_HOSTS:
            self.host, self.path = self.path, ""
            self.record()
        elif self.cut_off(host):
            return
        upstream = socket.create_connection(("127.0.0.1", self.server.https_port))
        self.send_response(200, "Connection established")
        self.end_headers()
        self.close_connection = True
        sockets = [self.connection, upstream]
        try:
            while True:
                ready, _, _ = select.select(sockets, [], [], 30)
                if not ready:
                    break
                for sock in ready:
                    data = sock.recv(65536)
                    if not data:
                        return
                    (upstream if sock is self.connection else self.connection).sendall(data)
        finally:
            upstream.close()

    def do_GET(self):
        # Through the proxy, the request line carries the absolute address;
        # otherwise the Host header names the host.
        self.host = self.headers.get("Host", "")
        proxied = False
        if self.path.startswith("http://"):
            self.host = self.path.split("/", 3)[2]
            self.path = "/" + self.path.split("/", 3)[3] if self.path.count("/") >= 3 else "/"
            proxied = True
        self.host = self.host.lower().removesuffix(":443" if isinstance(self.connection, ssl.SSLSocket) else ":80")
        if proxied and self.cut_off(self.host):
            return
        if self.path != "/hostile/step" and not self.path.startswith("/hostile/step?"):
            self.record()  # the hostile pages' polling stays out of the log
        path = self.path.split("#", 1)[0]
        bare = path.split("?", 1)[0]
        if hostile.answer(self, self.host, path, f"http://127.0.0.1:{self.server.server_address[1]}"):
            return
        if bare == "/wd/wd-vlmr/index.htm":
            self.send_bytes(200, "text/html; charset=utf-8", self.page("portal.htm"), self.visitor_cookie())
        elif bare in ("/keys", "/screen"):
            self.send_bytes(204, "text/plain", b"")
        elif bare.startswith("/swtest.html"):  # the client appends "&loginType=5" without a "?"
            self.send_bytes(200, "text/html; charset=utf-8", self.page("swtest.html"))
        elif bare == "/g/velmoLogin" and self.game_dir:
            self.send_response(302)
            self.send_header("Location", f"http://{GAME_HOST}{GAME_2048}index.html")
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif bare == "/g/velmoLogin":
            self.send_bytes(200, "text/html; charset=utf-8", self.page("game.html"))
        elif bare.startswith(GAME_2048) and self.game_dir:
            self.send_game_file(bare[len(GAME_2048):])
        elif bare.startswith(UPDATES) and self.updates_dir:
            self.send_update_file(bare[len(UPDATES):], path.split("?", 1)[1] if "?" in path else "")
        elif bare == "/news.html":
            self.send_bytes(200, "text/html; charset=utf-8", self.page("news.html"))
        elif bare in ASSETS:
            content_type, body = ASSETS[bare]
            self.send_bytes(200, content_type, body)
        elif self.host not in OPERATOR_HOSTS:
            hostile.foreign(self, bare)
        else:
            self.send_bytes(404, "text/html; charset=utf-8", b"<h1>Not here</h1>")

    def send_game_file(self, relative):
        """A file of the game's folder, unchanged; nothing outside it."""
        target = (self.game_dir / relative).resolve()
        if self.game_dir not in target.parents or not target.is_file():
            self.send_bytes(404, "text/html; charset=utf-8", b"<h1>Not here</h1>")
            return
        content_type = mimetypes.guess_type(target.name)[0] or "application/octet-stream"
        self.send_bytes(200, content_type, target.read_bytes())

    def send_update_file(self, relative, query):
        """A file of the updates folder; "cut=N" breaks it off after N bytes."""
        target = (self.updates_dir / relative).resolve()
        if self.updates_dir not in target.parents or not target.is_file():
            self.send_bytes(404, "text/html; charset=utf-8", b"<h1>Not here</h1>")
            return
        body = target.read_bytes()
        cut = dict(p.split("=", 1) for p in query.split("&") if "=" in p).get("cut")
        if cut is None:
            self.send_bytes(200, "application/octet-stream", body)
            return
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body[:int(cut)])
        self.wfile.flush()
        self.close_connection = True

    do_HEAD = do_GET
    do_POST = do_GET  # a form sent to a foreign host is logged like the rest


def make_certificate(folder):
    cert, key = folder / "demo-cert.pem", folder / "demo-key.pem"
    if not cert.exists() or not key.exists():
        subprocess.run(
            ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30",
             "-subj", f"/CN={LOGIN_HOST}", "-addext", f"subjectAltName=DNS:{LOGIN_HOST},DNS:{PORTAL_HOST}",
             "-keyout", str(key), "-out", str(cert)],
            check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--http-port", type=int, default=0)
    parser.add_argument("--https-port", type=int, default=0)
    parser.add_argument("--log", default="demo-requests.log")
    parser.add_argument("--cert-dir", default=str(CACHE))
    parser.add_argument("--ready", help="write the ports and resolver rules here as JSON once serving")
    parser.add_argument("--game", choices=["demo", "2048"], default="demo",
                        help="the game page behind the login marker")
    parser.add_argument("--game-dir", help="the 2048 game's folder (default: the cache's games/2048)")
    parser.add_argument("--control", action="store_true",
                        help="read refuse/stall commands on standard input")
    parser.add_argument("--updates", help="a folder served under /updates/ (update feeds and installers)")
    parser.add_argument("--hostile", action="store_true",
                        help="add the man in the middle's script to the portal and the game page")
    args = parser.parse_args()

    if args.game == "2048":
        folder = pathlib.Path(args.game_dir or CACHE / "games" / "2048")
        if not (folder / "index.html").is_file():
            parser.error(f"no 2048 game in {folder}: run scripts/setup.d/game-2048.sh")
        Site.game_dir = folder.resolve()

    if args.updates:
        Site.updates_dir = pathlib.Path(args.updates).resolve()
    Site.log_path = args.log
    Site.hostile = args.hostile
    open(args.log, "w").close()
    plain = http.server.ThreadingHTTPServer(("127.0.0.1", args.http_port), Site)
    secure = http.server.ThreadingHTTPServer(("127.0.0.1", args.https_port), Site)
    cert_dir = pathlib.Path(args.cert_dir)
    cert_dir.mkdir(parents=True, exist_ok=True)
    cert, key = make_certificate(cert_dir)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    secure.socket = context.wrap_socket(secure.socket, server_side=True)

    http_port, https_port = plain.server_address[1], secure.server_address[1]
    plain.https_port = https_port
    info = {"http_port": http_port, "https_port": https_port, "proxy": f"127.0.0.1:{http_port}"}
    if args.ready:
        tmp = args.ready + ".tmp"
        with open(tmp, "w") as out:
            json.dump(info, out)
        os.replace(tmp, args.ready)
    print(json.dumps(info), flush=True)

    threading.Thread(target=secure.serve_forever, daemon=True).start()
    if args.control:
        threading.Thread(target=read_commands, daemon=True).start()
    try:
        plain.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
