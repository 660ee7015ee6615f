#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the Windows program under Wine.
# Until the client's windows exist, it runs the asset responder's demo.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"

"$repo/scripts/setup.sh"
for hook in "$repo"/scripts/setup.d/*.sh; do
  [ -e "$hook" ] && bash "$hook"
done
"$repo/scripts/build.sh" win

source "$repo/scripts/wine-env.sh"
velmora_wine_start
wine "$repo/build/win/bin/asset_demo.exe" "$@"
