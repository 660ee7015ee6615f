#!/usr/bin/env bash
# Cached 1 KiB / 1 MiB / 16 MiB assets through ProcessRequest against a
# plain read of the same file plus one copy, side by side in one run.
set -euo pipefail
source "$(dirname "$0")/common.sh"
bench_build bench_cached_serving
machine_line
"$repo/build/host/bin/bench_cached_serving"
