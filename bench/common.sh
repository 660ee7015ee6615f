# Shared by the benchmark scripts (sourced): packages, the host build, a
# free port, and an nginx of our own on 127.0.0.1 that stops with the script.
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bench_work="$(mktemp -d /tmp/velmora-bench-XXXXXX)"
chmod 755 "$bench_work"  # nginx workers run as another user
bench_pids=()

bench_cleanup() {
  local pid
  for pid in "${bench_pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  rm -rf "$bench_work"
}
trap bench_cleanup EXIT

# Benchmark-only packages are installed here, not by the test setup.
bench_packages() { "$repo/scripts/setup.sh" "$@" >/dev/null; }

bench_build() {
  cmake -S "$repo" -B "$repo/build/host" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$repo/build/host" --target "$@" -j"${VELMORA_JOBS:-2}" >/dev/null
}

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

wait_for_port() {
  local i
  for i in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
    sleep 0.05
  done
  echo "nothing listens on port $1" >&2
  return 1
}

# start_nginx ROOT PORT: serves ROOT as /pnox_cdn/ and as / on the port.
start_nginx() {
  local root="$1" port="$2" dir="$bench_work/nginx-$2"
  mkdir -p "$dir/logs"
  cat >"$dir/nginx.conf" <<CONF
worker_processes auto;
daemon off;
pid $dir/nginx.pid;
error_log $dir/logs/error.log warn;
events { worker_connections 1024; }
http {
  access_log off;
  sendfile on;
  tcp_nopush on;
  keepalive_requests 1000000;
  default_type application/octet-stream;
  server {
    listen 127.0.0.1:$port;
    root $root;
    location /pnox_cdn/ { alias $root/; }
  }
}
CONF
  nginx -p "$dir" -c "$dir/nginx.conf" &
  bench_pids+=($!)
  wait_for_port "$port"
}

machine_line() {
  echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg); $(date -u '+%Y-%m-%d %H:%M UTC')"
}
