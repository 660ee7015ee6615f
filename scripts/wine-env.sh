#!/usr/bin/env bash
# Wine environment for running the Windows build: sourced by the run and test
# scripts. It starts Xvfb on a free display when none is given, makes or
# reuses a 32-bit Wine prefix outside the repository, and on exit stops only
# the processes that it started itself.
#
#   source scripts/wine-env.sh
#   velmora_wine_start      # exports DISPLAY, WINEPREFIX, WINEARCH, WINEDLLOVERRIDES
#   wine some.exe
#   velmora_wine_stop       # also registered as an EXIT trap

VELMORA_CACHE="${VELMORA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velmora}"
VELMORA_REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

_velmora_xvfb_pid=""
_velmora_started_wineserver=0

_velmora_free_display() {
  local n=90
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  echo "$n"
}

velmora_start_xvfb() {
  local n
  n="$(_velmora_free_display)"
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  _velmora_xvfb_pid=$!
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X${n}" ] && break
    sleep 0.05
  done
  export DISPLAY=":$n"
}

# Whether a wineserver for our prefix runs already (then it is not ours to
# stop). The server's process name varies (wineserver, wineserver32).
_velmora_server_running() {
  local pid
  for pid in $(pgrep -f 'wineserver' 2>/dev/null); do
    if tr '\0' '\n' 2>/dev/null < "/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      return 0
    fi
  done
  return 1
}

velmora_wine_start() {
  export WINEARCH=win32
  export WINEPREFIX="${WINEPREFIX:-$VELMORA_CACHE/wineprefix}"
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEDEBUG="${WINEDEBUG:--all}"
  # A failed thread check of the browser client stops the process wherever
  # it runs under Wine: the tests and scripts/run.sh. Players' clients only
  # report it (lib/cef/include/wrapper/cef_helpers.h).
  export VELMORA_THREAD_CHECKS="${VELMORA_THREAD_CHECKS:-fatal}"
  if [ -z "${DISPLAY:-}" ]; then
    velmora_start_xvfb
  fi
  if ! _velmora_server_running; then
    _velmora_started_wineserver=1
  fi
  mkdir -p "$VELMORA_CACHE"
  # One prefix is made per machine and reused; a lock keeps concurrent
  # callers from making it twice.
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.velmora-ready" ]; then
      echo "wine-env: making prefix $WINEPREFIX" >&2
      wineboot -i >/dev/null 2>&1 || true
      wine reg import "$(winepath -w "$VELMORA_REPO/scripts/wine-fonts.reg")" >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.velmora-ready"
    fi
  ) 9>"$VELMORA_CACHE/wineprefix.lock"
  trap velmora_wine_stop EXIT
}

velmora_wine_stop() {
  if [ "$_velmora_started_wineserver" = 1 ]; then
    wineserver -k >/dev/null 2>&1 || true
    _velmora_started_wineserver=0
  fi
  if [ -n "$_velmora_xvfb_pid" ]; then
    kill "$_velmora_xvfb_pid" 2>/dev/null || true
    wait "$_velmora_xvfb_pid" 2>/dev/null || true
    _velmora_xvfb_pid=""
  fi
}

# Points Wine's system-browser setting at scripts/url-recorder.sh, which logs
# each URL to $VELMORA_URL_LOG instead of opening it.
velmora_record_opened_urls() {
  export VELMORA_URL_LOG="${1:-${VELMORA_URL_LOG:-$VELMORA_CACHE/opened-urls.log}}"
  : > "$VELMORA_URL_LOG"
  wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$VELMORA_REPO/scripts/url-recorder.sh" /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineBrowser' /v Mailers /d "$VELMORA_REPO/scripts/url-recorder.sh" /f >/dev/null 2>&1
}
