#!/usr/bin/env bash
# The crash test reads the client's minidumps with the PyPI package minidump
# 0.0.24 (MIT licence, see the README), pure Python without dependencies.
# Fetched with pip into the cache, checked by hash, installed beside it; the
# test puts that folder on its import path.
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
cache="${VELMORA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velmora}/python"
wheel="$cache/minidump-0.0.24-py3-none-any.whl"
sha256="9c016e35c8fe37c82a01b0a266f5416a0b0138934d92affb436ac2e72372bec6"
target="$cache/minidump-0.0.24"

[ -f "$target/.complete" ] && exit 0
python3 -m pip --version >/dev/null 2>&1 || "$repo/scripts/setup.sh" python3-pip
mkdir -p "$cache"
if [ ! -f "$wheel" ]; then
  PIP_ROOT_USER_ACTION=ignore python3 -m pip download --quiet --no-deps --only-binary=:all: -d "$cache" minidump==0.0.24
fi
if ! echo "$sha256  $wheel" | sha256sum -c --quiet -; then
  echo "minidump: $wheel does not have the expected sha256" >&2
  rm -f "$wheel"
  exit 1
fi
rm -rf "$target.tmp"
PIP_ROOT_USER_ACTION=ignore python3 -m pip install --quiet --no-deps --no-index --target "$target.tmp" "$wheel"
touch "$target.tmp/.complete"
rm -rf "$target"; mv "$target.tmp" "$target"
echo "minidump: installed into $target" >&2
