#!/usr/bin/env bash
# velmora-assetd and its tests: standalone Asio (header-only, also used by
# the MinGW build), the curl client the tests drive it with, and clang with
# its sanitizer and libFuzzer runtimes for fuzz/. Skips what is installed.
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
exec "$repo/scripts/setup.sh" libasio-dev curl clang libclang-rt-14-dev
