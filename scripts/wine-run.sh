#!/usr/bin/env bash
# Runs one Windows executable under Wine in the project's Wine environment.
#   scripts/wine-run.sh [--desktop] prog.exe [args...]
# --desktop runs it inside Wine's virtual desktop, as the client runs for real.
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"

desktop=0
if [ "${1:-}" = "--desktop" ]; then desktop=1; shift; fi

velmora_wine_start
if [ "$desktop" = 1 ]; then
  wine explorer "/desktop=velmora$$,1280x800" "$@"
else
  wine "$@"
fi
rc=$?
velmora_wine_stop
exit $rc
