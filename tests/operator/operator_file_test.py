#!/usr/bin/env python3
"""The operator file as CMake reads it (cmake/Operator.cmake): the demo
operator's file reproduces the client's addresses and product; a bad file
stops with one line that names the key, both when checked alone and when a
build is configured with it.

  operator_file_test.py REPO_DIR
"""
import pathlib
import re
import subprocess
import sys
import tempfile

REPO = pathlib.Path(sys.argv[1]).resolve()
# The demo file, moved elsewhere: its icon named by its absolute path.
DEMO = re.sub(r"(?m)^icon = .*$", f"icon = {REPO}/res/velmora.ico", (REPO / "operators" / "demo.conf").read_text())
results = []


def check(name, ok, detail=""):
    results.append(bool(ok))
    print(f"{'ok  ' if ok else 'FAIL'} {name}{'' if ok else ': ' + str(detail)}", flush=True)


def read(path, header=None):
    args = ["cmake", f"-DVELMORA_OPERATOR_FILE={path}"]
    if header:
        args.append(f"-DVELMORA_OPERATOR_HEADER={header}")
    run = subprocess.run(args + ["-P", str(REPO / "cmake" / "Operator.cmake")],
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=60)
    return run.returncode, run.stderr


def with_line(key, value):
    """The demo file with one key's line replaced (value None: removed)."""
    lines = []
    for line in DEMO.splitlines():
        if re.match(rf"\s*{key}\s*=", line):
            if value is not None:
                lines.append(f"{key} = {value}")
        else:
            lines.append(line)
    return "\n".join(lines) + "\n"


# (what is wrong, file text, the key the one line must name)
BAD = [
    ("a missing key", with_line("portal_url", None), "portal_url"),
    ("a portal URL that is not http or https", with_line("portal_url", "ftp://www.velmora.example/"), "portal_url"),
    ("a test login page given as a script", with_line("test_login_url", "javascript:alert(1)"), "test_login_url"),
    ("a URL with user info", with_line("portal_url", "http://www.velmora.example@evil.example/"), "portal_url"),
    ("a URL with spaces", with_line("portal_url", "http://www.velmora.example/a b"), "portal_url"),
    ("a CDN base whose path is not /pnox_cdn/", with_line("cdn_base_url", "http://cdn.velmora.example/cdn/"),
     "cdn_base_url"),
    ("a CDN base without its last slash", with_line("cdn_base_url", "http://cdn.velmora.example/pnox_cdn"),
     "cdn_base_url"),
    ("a game site with a path", with_line("game_sites", "http://game.velmora.example/play"), "game_sites"),
    ("an extra host given as a URL", with_line("extra_hosts", "https://pay.example/"), "extra_hosts"),
    ("a product name with a slash", with_line("product_name", "Velmora/Online"), "product_name"),
    ("a product name that is a device", with_line("product_name", "CON"), "product_name"),
    ("a product name ending in a dot", with_line("product_name", "Velmora."), "product_name"),
    ("an empty product name", with_line("product_name", ""), "product_name"),
    ("a company with a quote", with_line("company", 'Velmora "Games"'), "company"),
    ("an icon that does not exist", with_line("icon", "missing.ico"), "icon"),
    ("a version of two numbers", with_line("version", "1.0"), "version"),
    ("an update feed that is a file", with_line("update_feed", "file:///C:/feed.xml"), "update_feed"),
    ("an unknown key", DEMO + "portl_url = http://www.velmora.example/\n", "portl_url"),
    ("a key given twice", DEMO + "version = 2.0.0\n", "version"),
]


def main():
    with tempfile.TemporaryDirectory() as tmp:
        tmp = pathlib.Path(tmp)
        header = tmp / "velmora_operator.h"
        code, err = read(REPO / "operators" / "demo.conf", header)
        text = header.read_text() if header.exists() else ""
        check("the demo operator's file is valid", code == 0, err)
        for name, value in [("PORTAL_URL", '"http://www.velmora.example/wd/wd-vlmr/index.htm"'),
                            ("TEST_LOGIN_URL_W", 'L"https://login.velmora.example/swtest.html"'),
                            ("CDN_BASE_URL", '"http://cdn.velmora.example/pnox_cdn/"'),
                            ("GAME_SITES", '"http://game.velmora.example",'),
                            ("PRODUCT_W", 'L"Velmora"'),
                            ("ICON", f'"{REPO}/res/velmora.ico"')]:
            check(f"the demo operator's {name} is today's value",
                  re.search(rf"^#define VELMORA_OPERATOR_{name} {re.escape(value)}$", text, re.M), text)
        code, err = read(REPO / "tests" / "operator" / "second.conf")
        check("the second operator's file is valid", code == 0, err)

        for what, content, key in BAD:
            conf = tmp / "bad.conf"
            conf.write_text(content)
            code, err = read(conf)
            lines = [l for l in err.splitlines() if l.startswith("operator file ")]
            check(f"{what} stops with one line naming {key}",
                  code != 0 and len(lines) == 1 and f": {key}: " in lines[0], err.strip())

        # The same line when a build is configured with a bad file; nothing
        # is compiled (the file is read before the project is declared).
        conf = tmp / "bad.conf"
        conf.write_text(with_line("cdn_base_url", "http://cdn.velmora.example/assets/"))
        run = subprocess.run(["cmake", "-S", str(REPO), "-B", str(tmp / "build"), f"-DVELMORA_OPERATOR_FILE={conf}"],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=120)
        lines = [l for l in run.stderr.splitlines() if l.startswith("operator file ")]
        check("configuring a build with a bad file fails with the line naming cdn_base_url",
              run.returncode != 0 and len(lines) == 1 and ": cdn_base_url: " in lines[0], run.stderr[-1500:])
        check("and nothing was configured", not (tmp / "build" / "Makefile").exists())

    failed = results.count(False)
    print(f"{len(results) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
