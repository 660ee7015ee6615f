#!/usr/bin/env bash
# Sets up what is missing, builds, starts the demo operator site and runs the
# client (velmora.exe) under Wine in a virtual desktop.
#
# With an X display in DISPLAY, the windows appear there and the client runs
# until the player closes the login window. Without one, the client runs in
# Xvfb for VELMORA_RUN_SECONDS (default 30), a screenshot is saved and the
# client is closed again.
#
# VELMORA_DEMO_GAME=2048 puts the unmodified 2048 game behind the login
# instead of the demo game page.
#
# The screenshot goes to build/run/screenshot.png; the site's request log to
# build/run/requests.log; addresses opened outside to build/run/opened-urls.log.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"

"$repo/scripts/setup.sh"
for hook in "$repo"/scripts/setup.d/*.sh; do
  [ -e "$hook" ] && bash "$hook"
done
"$repo/scripts/build.sh" win

out="$repo/build/run"
mkdir -p "$out"
headless=0
[ -z "${DISPLAY:-}" ] && headless=1

source "$repo/scripts/wine-env.sh"
velmora_wine_start
velmora_record_opened_urls "$out/opened-urls.log"

rm -f "$out/site.json"
python3 "$repo/demo/site.py" --log "$out/requests.log" --ready "$out/site.json" \
  --game "${VELMORA_DEMO_GAME:-demo}" >/dev/null 2>&1 &
site=$!
trap 'kill $site 2>/dev/null; velmora_wine_stop' EXIT
for _ in $(seq 100); do [ -f "$out/site.json" ] && break; sleep 0.1; done
proxy="$(python3 -c "import json,sys; print(json.load(open(sys.argv[1]))['proxy'])" "$out/site.json")"

# Switches that CEF needs under Wine (scripts/cef-wine-switches), and the
# demo site as the browser's proxy for the client's host names (it also
# carries HTTPS for the test login page, whose certificate it made itself).
mapfile -t flags < "$repo/scripts/cef-wine-switches"
flags+=("--proxy-server=$proxy" --ignore-certificate-errors)

cd "$repo/build/win/bin"
desktop="velmora-run-$$"
wine explorer "/desktop=$desktop,1280x800" velmora.exe "${flags[@]}" &
client=$!
if [ "$headless" = 1 ]; then
  sleep "${VELMORA_RUN_SECONDS:-30}"
  import -window root -display "$DISPLAY" "$out/screenshot.png"
  echo "run: screenshot saved to $out/screenshot.png"
  # Close the client the way the player does: the login window's close button.
  VELMORA_DRIVER_OUT="$(winepath -w "$out/driver.txt")" \
    wine explorer "/desktop=$desktop" windriver.exe close XMLWnd Velmora || true
  for _ in $(seq 100); do kill -0 $client 2>/dev/null || break; sleep 0.2; done
else
  wait $client
fi
echo "run: the site saw $(wc -l < "$out/requests.log") requests (build/run/requests.log)"
