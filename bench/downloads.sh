#!/usr/bin/env bash
# Downloads of 1, 16 and 64 MiB from a loopback CDN (nginx) through
# FetchAndStore against curl fetching the same URL to a file, side by side
# in one run; the 64 MiB to 1 MiB cost ratio shows whether growth is linear.
#   bench/downloads.sh [rounds]
set -euo pipefail
source "$(dirname "$0")/common.sh"
bench_packages nginx curl
bench_build bench_downloads
root="$bench_work/cdn"
mkdir -p "$root"
for mib in 1 16 64; do head -c $((mib << 20)) /dev/urandom >"$root/asset${mib}m.res"; done
port=$(free_port)
start_nginx "$root" "$port"
machine_line
"$repo/build/host/bin/bench_downloads" "http://127.0.0.1:$port/pnox_cdn/" "${1:-7}" \
  /asset1m.res /asset16m.res /asset64m.res
