#!/usr/bin/env python3
"""256 clients that trickle one request byte per second at velmora-assetd,
and an ordinary client beside them: how long the ordinary one waits for its
answer, and when the trickling ones are closed (from their first byte).
Loopback only; ends by itself after the deadline plus a few seconds.
    slow_clients.py PORT [TRICKLERS] [SECONDS]"""
import socket
import statistics
import sys
import threading
import time

port = int(sys.argv[1])
tricklers = int(sys.argv[2]) if len(sys.argv) > 2 else 256
seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 14.0
request = b"GET /ok.txt HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: " + b"y" * 64

closed_after = []
lock = threading.Lock()


def trickle():
    sock = socket.create_connection(("127.0.0.1", port))
    sock.settimeout(1.0)
    started = time.monotonic()
    for i in range(int(seconds)):
        try:
            sock.sendall(request[i % len(request):i % len(request) + 1])
            if sock.recv(1) == b"":
                with lock:
                    closed_after.append(time.monotonic() - started)
                return
        except socket.timeout:
            continue  # nothing from the server: still held, send the next byte
        except OSError:
            with lock:
                closed_after.append(time.monotonic() - started)
            return
    sock.close()


def normal_client():
    started = time.monotonic()
    with socket.create_connection(("127.0.0.1", port), timeout=30) as sock:
        sock.sendall(b"GET /ok.txt HTTP/1.0\r\n\r\n")
        answer = b""
        while True:
            piece = sock.recv(4096)
            if not piece:
                break
            answer += piece
    if not answer.startswith(b"HTTP/1.0 200 OK"):
        raise SystemExit("unexpected answer: %r" % answer[:60])
    return time.monotonic() - started


threads = [threading.Thread(target=trickle, daemon=True) for _ in range(tricklers)]
for thread in threads:
    thread.start()
time.sleep(2.0)  # every trickler holds a connection by now
waits = []
for _ in range(10):
    waits.append(normal_client())
    time.sleep(0.2)
for thread in threads:
    thread.join(seconds + 5)
print("%d trickling clients, 1 byte/s each" % tricklers)
print("ordinary client, 10 requests while they trickle: answer after median %.1f ms, max %.1f ms"
      % (statistics.median(waits) * 1e3, max(waits) * 1e3))
if closed_after:
    print("trickling clients closed by the server: %d of %d, after %.1f to %.1f s (median %.1f s)"
          % (len(closed_after), tricklers, min(closed_after), max(closed_after), statistics.median(closed_after)))
else:
    print("trickling clients closed by the server: none of %d within %.0f s" % (tricklers, seconds))
