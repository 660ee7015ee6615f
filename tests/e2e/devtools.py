"""Reads values from a running client's page through Chromium's DevTools
protocol, which CEF serves on 127.0.0.1 when the client is started with
--remote-debugging-port. Only what the tests need: find a page by its
address and evaluate one expression there, over a minimal WebSocket client
(RFC 6455: a masked text frame out, unmasked frames back).
"""
import base64
import json
import os
import socket
import struct
import urllib.request


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def _recv_exact(sock, count):
    data = b""
    while len(data) < count:
        chunk = sock.recv(count - len(data))
        if not chunk:
            raise ConnectionError("DevTools closed the connection")
        data += chunk
    return data


def _send_text(sock, text):
    payload = text.encode("utf-8")
    header = bytearray([0x81])
    if len(payload) < 126:
        header.append(0x80 | len(payload))
    elif len(payload) < 65536:
        header += bytes([0x80 | 126]) + struct.pack(">H", len(payload))
    else:
        header += bytes([0x80 | 127]) + struct.pack(">Q", len(payload))
    mask = os.urandom(4)
    sock.sendall(bytes(header) + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload)))


def _recv_text(sock):
    first, second = _recv_exact(sock, 2)
    length = second & 0x7F
    if length == 126:
        length = struct.unpack(">H", _recv_exact(sock, 2))[0]
    elif length == 127:
        length = struct.unpack(">Q", _recv_exact(sock, 8))[0]
    return _recv_exact(sock, length).decode("utf-8")


def evaluate(port, url_part, expression, timeout=10):
    """The value of |expression| in the page whose address holds |url_part|,
    or None when there is no such page or it cannot be reached."""
    try:
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/json", timeout=timeout) as reply:
            targets = json.load(reply)
    except (OSError, ValueError):
        return None
    target = next((t for t in targets if url_part in t.get("url", "") and t.get("webSocketDebuggerUrl")), None)
    if not target:
        return None
    path = "/" + target["webSocketDebuggerUrl"].split("/", 3)[3]
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=timeout) as sock:
            key = base64.b64encode(os.urandom(16)).decode()
            sock.sendall((f"GET {path} HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nUpgrade: websocket\r\n"
                          f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n")
                         .encode())
            response = b""
            while b"\r\n\r\n" not in response:
                response += _recv_exact(sock, 1)
            if b" 101 " not in response.split(b"\r\n", 1)[0]:
                return None
            _send_text(sock, json.dumps({"id": 1, "method": "Runtime.evaluate",
                                         "params": {"expression": expression, "returnByValue": True}}))
            while True:
                message = json.loads(_recv_text(sock))
                if message.get("id") == 1:
                    return message.get("result", {}).get("result", {}).get("value")
    except (OSError, ValueError, ConnectionError):
        return None
