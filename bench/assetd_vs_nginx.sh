#!/usr/bin/env bash
# velmora-assetd against nginx serving the same cached 16 KiB file on this
# machine, under wrk with 64 keep-alive connections: requests per second and
# the 99th-percentile latency, measured alternately in one run.
#   bench/assetd_vs_nginx.sh [seconds-per-run] [rounds]
set -euo pipefail
source "$(dirname "$0")/common.sh"
bench_packages nginx wrk
bench_build velmora-assetd
seconds="${1:-10}" rounds="${2:-3}"
path="/asset16k.res"

root="$bench_work/www"; cache="$bench_work/cache"
mkdir -p "$root" "$cache"
head -c 16384 /dev/urandom >"$root$path"
cp "$root$path" "$cache/$(printf '%s' "$path" | md5sum | cut -c1-32)"

nginx_port=$(free_port)
start_nginx "$root" "$nginx_port"
assetd_port=$(free_port)
"$repo/build/host/bin/velmora-assetd" --cache "$cache" --cdn "http://127.0.0.1:9/pnox_cdn/" \
  --port "$assetd_port" --workers "${ASSETD_WORKERS:-4}" &
bench_pids+=($!)
wait_for_port "$assetd_port"

# Both answer with the same bytes.
cmp <(curl -s "http://127.0.0.1:$nginx_port$path") <(curl -s "http://127.0.0.1:$assetd_port$path")

# wrk's requests per second and 99th percentile (in ms).
run_wrk() {
  local out
  out=$(wrk -t2 -c64 -d"${seconds}s" --latency -H "Connection: keep-alive" "http://127.0.0.1:$1$path")
  local rps p99
  rps=$(awk '/^Requests\/sec:/ {print $2}' <<<"$out")
  p99=$(awk '$1 == "99%" {v=$2; if (v ~ /us$/) {sub(/us$/,"",v); v/=1000} else if (v ~ /ms$/) {sub(/ms$/,"",v)} else if (v ~ /s$/) {sub(/s$/,"",v); v*=1000}; print v}' <<<"$out")
  if grep -q "Non-2xx\|Socket errors" <<<"$out"; then grep "Non-2xx\|Socket errors" <<<"$out" >&2; fi
  echo "$rps $p99"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.4f", a / b}'; }

machine_line
echo "wrk -t2 -c64 -d${seconds}s, Connection: keep-alive, 16 KiB file; assetd: one I/O thread per core, ${ASSETD_WORKERS:-4} workers; nginx: worker_processes auto, sendfile"
printf "%-6s %14s %12s %14s %12s %9s %9s\n" round "assetd req/s" "assetd p99" "nginx req/s" "nginx p99" "req/s" "p99"
all_assetd=() all_nginx=()
for round in $(seq "$rounds"); do
  read -r a_rps a_p99 <<<"$(run_wrk "$assetd_port")"
  read -r n_rps n_p99 <<<"$(run_wrk "$nginx_port")"
  printf "%-6s %14.0f %9.2f ms %14.0f %9.2f ms %8.2fx %8.2fx\n" "$round" "$a_rps" "$a_p99" "$n_rps" "$n_p99" \
    "$(ratio "$a_rps" "$n_rps")" "$(ratio "$a_p99" "$n_p99")"
  all_assetd+=("$a_rps"); all_nginx+=("$n_rps")
done
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'; }
a=$(median "${all_assetd[@]}"); n=$(median "${all_nginx[@]}")
printf "median: assetd %.0f req/s, nginx %.0f req/s, ratio %.2fx (target 1.0x or better: %s)\n" "$a" "$n" \
  "$(ratio "$a" "$n")" "$(awk -v a="$a" -v n="$n" 'BEGIN {print (a >= n) ? "met" : "NOT met"}')"
