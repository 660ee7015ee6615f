#!/usr/bin/env bash
# Runs one Windows executable under Wine in the project's Wine environment.
#   scripts/wine-run.sh [--desktop] prog.exe [args...]
# --desktop runs it inside Wine's virtual desktop, as the client runs for real:
# 1280 x 800, or VELMORA_DESKTOP_SIZE (such as 1920x1200).
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"

desktop=0
if [ "${1:-}" = "--desktop" ]; then desktop=1; shift; fi

velmora_wine_start
if [ "$desktop" = 1 ]; then
  # explorer doesn't hand back the program's exit code, so a batch file
  # runs the program and writes its exit code to a file.
  rcdir="$(mktemp -d)"
  {
    echo "@echo off"
    # "start /wait" also waits for GUI programs, which cmd alone does not;
    # /b keeps a console program on this console. Wine's start takes the
    # program unquoted, so it is found through PATH; the working folder
    # stays the caller's.
    echo "set \"PATH=$(winepath -w "$(dirname "$1")");%PATH%\""
    line="start /b /wait $(basename "$1")"
    shift
    for arg in "$@"; do line+=" \"${arg//%/%%}\""; done
    echo "$line"
    echo "> \"$(winepath -w "$rcdir")\\rc.txt\" echo %errorlevel%"
  } > "$rcdir/run.bat"
  # Now and then a new desktop starts nothing (no exit code written): try once more.
  for attempt in 1 2; do
    wine explorer "/desktop=${VELMORA_DESKTOP:-velmora$$-$attempt},${VELMORA_DESKTOP_SIZE:-1280x800}" \
         cmd /c "$(winepath -w "$rcdir/run.bat")"
    [ -f "$rcdir/rc.txt" ] && break
    echo "wine-run.sh: the virtual desktop ran nothing (attempt $attempt)" >&2
  done
  rc="$(tr -d '\r\n ' < "$rcdir/rc.txt" 2>/dev/null)"
  rm -rf "$rcdir"
  case "$rc" in
    0) ;;
    ''|*[!0-9-]*) rc=1 ;;
    *) [ $((rc % 256)) = 0 ] && rc=1 ;;
  esac
else
  wine "$@"
  rc=$?
fi
velmora_wine_stop
exit $rc
