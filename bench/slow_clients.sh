#!/usr/bin/env bash
# velmora-assetd under its defaults with 256 clients trickling a request at
# one byte per second, and an ordinary client beside them (slow_clients.py).
#   [ASSETD_ARGS="--max-connections 256"] bench/slow_clients.sh [trickling-clients]
set -euo pipefail
source "$(dirname "$0")/common.sh"
bench_build velmora-assetd
cache="$bench_work/cache"; mkdir -p "$cache"
printf ok >"$cache/$(printf '%s' /ok.txt | md5sum | cut -c1-32)"
port=$(free_port)
"$repo/build/host/bin/velmora-assetd" --cache "$cache" --cdn "http://127.0.0.1:9/pnox_cdn/" --port "$port" ${ASSETD_ARGS:-} &
bench_pids+=($!)
wait_for_port "$port"
machine_line
python3 "$repo/bench/slow_clients.py" "$port" "${1:-256}"
