#!/usr/bin/env bash
# Where the time goes, by perf: velmora-assetd serving a cached 16 KiB file
# under wrk (64 keep-alive connections), or FetchAndStore downloading 1 MiB
# from a loopback nginx over and over (bench_fetch_loop). Prints the
# heaviest symbols, self and with callees; the recording stays in
# build/profile/.
#   bench/profile.sh assetd|downloads [seconds]
set -euo pipefail
source "$(dirname "$0")/common.sh"
what="${1:-assetd}" seconds="${2:-8}"
bench_packages linux-perf nginx wrk
out="$repo/build/profile"; mkdir -p "$out"
data="$out/$what.data"
case "$what" in
  assetd)
    bench_build velmora-assetd
    path="/asset16k.res"; cache="$bench_work/cache"; mkdir -p "$cache"
    head -c 16384 /dev/urandom >"$cache/$(printf '%s' "$path" | md5sum | cut -c1-32)"
    port=$(free_port)
    "$repo/build/host/bin/velmora-assetd" --cache "$cache" --cdn "http://127.0.0.1:9/pnox_cdn/" --port "$port" &
    pid=$!; bench_pids+=($pid)
    wait_for_port "$port"
    wrk -t2 -c64 -d2s -H "Connection: keep-alive" "http://127.0.0.1:$port$path" >/dev/null  # warm up
    perf record -F 2000 -g -p "$pid" -o "$data" -- sleep "$seconds" 2>/dev/null &
    recorder=$!
    wrk -t2 -c64 -d"${seconds}s" -H "Connection: keep-alive" "http://127.0.0.1:$port$path" | grep Requests/sec
    wait "$recorder" || true
    ;;
  downloads)
    bench_build bench_fetch_loop
    root="$bench_work/cdn"; mkdir -p "$root"
    head -c $((1 << 20)) /dev/urandom >"$root/asset1m.res"
    port=$(free_port)
    start_nginx "$root" "$port"
    perf record -F 4000 -g -o "$data" -- \
      "$repo/build/host/bin/bench_fetch_loop" "http://127.0.0.1:$port/pnox_cdn/" /asset1m.res 300 2>/dev/null
    ;;
  *) echo "usage: bench/profile.sh assetd|downloads [seconds]" >&2; exit 2 ;;
esac
machine_line
echo "== self"
perf report -i "$data" --no-children -g none --sort dso,sym 2>/dev/null | grep -v '^#' | grep -v '^$' | head -20 || true
echo "== with callees (user-space entry points: system calls, copies)"
perf report -i "$data" --children -g none --sort sym 2>/dev/null | grep -v '^#' | grep '\[\.\]' | head -20 || true
