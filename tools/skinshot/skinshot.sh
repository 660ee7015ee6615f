#!/usr/bin/env bash
# Renders the four skins under Wine and stores them as docs/skin-*.png.
#   tools/skinshot/skinshot.sh        (after scripts/build.sh win)
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
exe="$repo/build/win/bin/skinshot.exe"
[ -x "$exe" ] || { echo "build first: cmake --build build/win --target skinshot" >&2; exit 1; }
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
"$repo/scripts/wine-run.sh" --desktop "$exe" "$(winepath -w "$out" 2>/dev/null || echo "Z:${out//\//\\}")"
mkdir -p "$repo/docs"
for bmp in "$out"/skin-*.bmp; do
  png="$repo/docs/$(basename "${bmp%.bmp}").png"
  convert "$bmp" -strip "$png"
  echo "$png"
done
