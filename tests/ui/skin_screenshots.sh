#!/usr/bin/env bash
# Renders the four skins with skinshot and compares them with the committed
# docs/skin-*.png: at most 0.5% of the pixels may differ (by more than 8%).
#   tests/ui/skin_screenshots.sh <skinshot.exe>
set -uo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
exe="$1"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

"$repo/scripts/wine-run.sh" --desktop "$exe" "$(winepath -w "$out" 2>/dev/null)" >/dev/null
passed=0
failed=0
for name in login loginbrowser game fullscreen; do
  expected="$repo/docs/skin-$name.png"
  actual="$out/skin-$name.bmp"
  if [ ! -f "$actual" ]; then
    echo "skin-$name: not rendered"; failed=$((failed + 1)); continue
  fi
  if [ "$(identify -format '%wx%h' "$actual")" != "$(identify -format '%wx%h' "$expected")" ]; then
    echo "skin-$name: size $(identify -format '%wx%h' "$actual"), expected $(identify -format '%wx%h' "$expected")"
    failed=$((failed + 1)); continue
  fi
  differing="$(compare -metric AE -fuzz 8% "$actual" "$expected" null: 2>&1 | cut -d' ' -f1)"
  total="$(identify -format '%[fx:w*h]' "$expected")"
  if [ "${differing%.*}" -le $((total / 200)) ] 2>/dev/null; then
    echo "skin-$name: matches ($differing of $total pixels differ)"; passed=$((passed + 1))
  else
    echo "skin-$name: differs in $differing of $total pixels"; failed=$((failed + 1))
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
