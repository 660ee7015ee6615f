#!/usr/bin/env bash
# Builds both targets: build/host (native, platform-neutral code and its
# tests) and build/win (MinGW-w64 i686, the Windows program and its tests).
#   scripts/build.sh [host|win|all]
# Built for the operator file in VELMORA_OPERATOR_FILE, the demo operator's
# (operators/demo.conf) by default.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
which="${1:-all}"
jobs="${VELMORA_JOBS:-2}"
operator="$(realpath "${VELMORA_OPERATOR_FILE:-$repo/operators/demo.conf}")"

if [ "$which" = host ] || [ "$which" = all ]; then
  cmake -S "$repo" -B "$repo/build/host" -DCMAKE_BUILD_TYPE=Release "-DVELMORA_OPERATOR_FILE=$operator" >/dev/null
  cmake --build "$repo/build/host" -j"$jobs"
fi
if [ "$which" = win ] || [ "$which" = all ]; then
  cmake -S "$repo" -B "$repo/build/win" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-i686.cmake" "-DVELMORA_OPERATOR_FILE=$operator" >/dev/null
  cmake --build "$repo/build/win" -j"$jobs"
fi
