#!/usr/bin/env bash
# velmora-assetd.exe under Wine stops cleanly on Ctrl+C: Wine hands a
# SIGINT of the process to its console control handlers, as a console's
# Ctrl+C would. Serves one request first, then expects exit code 0.
#   wine-ctrl-c.sh path/to/velmora-assetd.exe
set -uo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
exe="$1"
source "$repo/scripts/wine-env.sh"
velmora_wine_start >/dev/null 2>&1
work="$(mktemp -d)"
passed=0 failed=0
check() { if eval "$2"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $1"; fi; }

mkdir -p "$work/cache"
printf ok >"$work/cache/$(printf '%s' /ok.txt | md5sum | cut -c1-32)"
# Another run sharing the Wine prefix may restart its wineserver under us:
# one more try before calling it a failure.
start() {
  rm -f "$work/port" "$work/rc"
  (wine "$exe" --cache "$(winepath -w "$work/cache")" --cdn http://127.0.0.1:9/pnox_cdn/ --port 0 \
     --port-file "$(winepath -w "$work/port")" >"$work/out" 2>&1; echo $? >"$work/rc") &
  for _ in $(seq 300); do [ -s "$work/port" ] || [ -s "$work/rc" ] && break; sleep 0.1; done
  port="$(tr -d '\r\n' <"$work/port" 2>/dev/null)"
  [ -n "$port" ]
}
start || { echo "first start failed: $(cat "$work/out" 2>/dev/null | tail -3)"; start; }
check "started" '[ -n "$port" ]'
check "serves" '[ "$(curl -s --max-time 10 "http://127.0.0.1:$port/ok.txt")" = ok ]'

pid="$(pgrep -f 'velmora-assetd\.exe' | while read -r p; do grep -qaF "$(basename "$work")" /proc/$p/cmdline 2>/dev/null && echo "$p"; done | head -1)"
check "found its process" '[ -n "$pid" ]'
[ -n "$pid" ] && kill -INT "$pid"
for _ in $(seq 100); do [ -s "$work/rc" ] && break; sleep 0.1; done
check "exit code 0 after Ctrl+C" '[ "$(cat "$work/rc" 2>/dev/null)" = 0 ]'
if [ ! -s "$work/rc" ] && [ -n "$pid" ]; then kill -KILL "$pid" 2>/dev/null; fi

velmora_wine_stop >/dev/null 2>&1
rm -rf "$work"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
