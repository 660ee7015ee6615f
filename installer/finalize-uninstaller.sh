#!/usr/bin/env bash
# Run by makensis on the uninstaller it has just built, before packing it
# into the installer: signs it (installer/sign.sh) and keeps a copy at
# $VELMORA_UNINSTALLER_COPY for scripts/package.sh's size figure.
#   installer/finalize-uninstaller.sh FILE
set -euo pipefail
"$(dirname "$0")/sign.sh" "$1" uninstall.exe
[ -n "${VELMORA_UNINSTALLER_COPY:-}" ] && cp "$1" "$VELMORA_UNINSTALLER_COPY"
exit 0
