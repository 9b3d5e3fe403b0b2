#!/usr/bin/env bash
# Load test of the local web server beside nginx on the same files in the same run:
# index.html and a 1 MB file to wrk on loopback at 1, 16 and 64 connections, then
# 30 seconds at 16 connections while watching the server's memory. nginx (Debian's
# nginx-light) closes every connection after its answer, as ours does, with sendfile
# and 4 workers. CPU per request is the user and system time of each server's
# processes over the requests wrk counted. Usage: bash bench/server.sh [seconds per
# run, default 10]; SERVER_BUILD=<folder with verhulzen_app.so and serve_host>
# measures another build (such as an older one) in place of build/cpp.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/listening-port.sh
SECONDS_PER_RUN=${1:-10}

build=${SERVER_BUILD:-}
if [[ -z $build ]]; then
  cmake -S . -B build/cpp -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/cpp -j4 --target verhulzen_app serve_host >/dev/null
  build=build/cpp/app
fi
command -v nginx >/dev/null || { echo "nginx is missing: run scripts/setup.sh" >&2; exit 1; }

work=$(mktemp -d)
server_pid=
nginx_pid=
cleanup() {
  [[ -n $server_pid ]] && kill "$server_pid" 2>/dev/null || true
  [[ -n $nginx_pid ]] && kill "$nginx_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The library finds its web files beside itself, as in the unpacked program.
mkdir -p "$work/run/web" "$work/data"
cp "$build/verhulzen_app.so" "$work/run/"
if [[ -f build/web/index.html ]]; then
  cp build/web/index.html "$work/run/web/index.html"
else
  { echo '<!doctype html><html lang="nl"><head><meta charset="utf-8"><title>Drovel Verhulzen</title></head><body>'
    for i in $(seq 1 80); do echo "<p>Regel $i van de pagina.</p>"; done
    echo '</body></html>'; } >"$work/run/web/index.html"
fi
head -c 1048576 /dev/urandom >"$work/run/web/groot.bin"
# nginx's workers run as another user when it is started as root.
chmod -R a+rX "$work"

VERHULZEN_GEEN_BROWSER=1 VERHULZEN_GEEN_UPDATE=1 VERHULZEN_DATA_DIR="$work/data" \
  VERHULZEN_LOOPTIJD=3600 "$build/serve_host" "$work/run/verhulzen_app.so" 2>"$work/stderr" &
server_pid=$!

port=$(listening_port "$server_pid")
[[ -n $port ]] || { echo "the server did not start" >&2; exit 1; }

nginx_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$work/nginx.conf" <<CONF
daemon off;
worker_processes 4;
pid $work/nginx.pid;
error_log $work/nginx-error.log;
events { worker_connections 1024; }
http {
  access_log off;
  sendfile on;
  keepalive_timeout 0;
  types { text/html html; application/octet-stream bin; }
  client_body_temp_path $work/nginx-tmp;
  server { listen 127.0.0.1:$nginx_port; root $work/run/web; }
}
CONF
nginx -c "$work/nginx.conf" -p "$work" &
nginx_pid=$!
for _ in $(seq 1 100); do
  curl -s -o /dev/null "http://127.0.0.1:$nginx_port/index.html" && break
  sleep 0.05
done

threads() { ls "/proc/$server_pid/task" | wc -l; }
# CPU ticks (user + system) of a process and, for nginx, its workers.
cpu_ticks() {
  local total=0 pid
  for pid in "$@" $(pgrep -P "$1" || true); do
    total=$((total + $(awk '{print $14 + $15}' "/proc/$pid/stat")))
  done
  echo "$total"
}
rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$server_pid/status"; }
peak_kb() { awk '/^VmHWM/ {print $2}' "/proc/$server_pid/status"; }

# wrk's latency (1.5ms, 820.00us, 1.02s) in milliseconds.
as_ms() { awk -v t="$1" 'BEGIN { v = t + 0; if (t ~ /us$/) v /= 1000; else if (t ~ /[^m]s$/) v *= 1000; print v }'; }

# One wrk run against a port: "req/s p99 CPU-microseconds-per-request failures".
measure() {
  local target_port=$1 pid=$2 file=$3 connections=$4 duration=$5 threads out before after
  threads=$((connections < 4 ? connections : 4))
  before=$(cpu_ticks "$pid")
  out=$(wrk -t"$threads" -c"$connections" -d"${duration}s" --latency "http://127.0.0.1:$target_port/$file")
  after=$(cpu_ticks "$pid")
  local rps p99 requests cpu non2xx errors
  rps=$(awk '/^Requests\/sec:/ {print $2}' <<<"$out")
  p99=$(awk '$1 == "99%" {print $2}' <<<"$out")
  requests=$(awk '/requests in/ {print $1}' <<<"$out")
  cpu=$(awk -v t=$((after - before)) -v n="$requests" -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "%.1f", t / hz * 1e6 / n }')
  non2xx=$(awk '/Non-2xx/ {print $NF}' <<<"$out")
  errors=$(grep -o 'Socket errors:.*' <<<"$out" | sed 's/Socket errors: //; s/ //g' || true)
  echo "$rps $p99 $cpu ${non2xx:-0}non-2xx,${errors:-noerrors}"
}

# Ours, then nginx, on the same file and load; the ratios are ours to nginx's.
compare() {
  local file=$1 connections=$2 duration=$3
  read -r o_rps o_p99 o_cpu o_fail <<<"$(measure "$port" "$server_pid" "$file" "$connections" "$duration")"
  read -r n_rps n_p99 n_cpu n_fail <<<"$(measure "$nginx_port" "$nginx_pid" "$file" "$connections" "$duration")"
  printf '%-10s %3s | %10s %9s %7s | %10s %9s %7s | %6s %6s %6s | %3s | %s / %s\n' "$file" "$connections" \
    "$o_rps" "$o_p99" "$o_cpu" "$n_rps" "$n_p99" "$n_cpu" \
    "$(awk -v a="$o_rps" -v b="$n_rps" 'BEGIN { printf "%.2fx", a / b }')" \
    "$(awk -v a="$(as_ms "$o_p99")" -v b="$(as_ms "$n_p99")" 'BEGIN { printf "%.2fx", a / b }')" \
    "$(awk -v a="$o_cpu" -v b="$n_cpu" 'BEGIN { printf "%.2fx", a / b }')" \
    "$(threads)" "$o_fail" "$n_fail"
}

idle_threads=$(threads)
echo "server pid $server_pid on port $port, nginx on port $nginx_port; RSS at start $(rss_kb) kB, $idle_threads threads"
echo "columns: req/s, p99, CPU us per request for ours, then nginx, then ours / nginx; our threads just after the run"
printf '%-10s %3s | %10s %9s %7s | %10s %9s %7s | %6s %6s %6s | %3s | %s\n' file conn "ours req/s" p99 cpu \
  "nginx req/s" p99 cpu req/s p99 cpu thr "failures ours / nginx"
for connections in 1 16 64; do
  for file in index.html groot.bin; do
    compare "$file" "$connections" "$SECONDS_PER_RUN"
  done
done

echo "30 s at 16 connections on index.html, RSS sampled every 5 s:"
samples=()
measure "$port" "$server_pid" index.html 16 30 >"$work/long" &
wrk_pid=$!
for _ in 1 2 3 4 5 6; do
  sleep 5
  samples+=("$(rss_kb)")
done
wait "$wrk_pid"
echo "req/s p99 cpu-us failures: $(cat "$work/long")"
echo "RSS samples (kB): ${samples[*]}"
echo "peak RSS (VmHWM): $(peak_kb) kB; threads now: $(threads)"
# Threads that served wait a while for the next connection, then end.
for _ in $(seq 1 30); do
  [[ $(threads) -le $idle_threads ]] && break
  sleep 1
done
echo "threads 30 s after the run: $(threads) (at start: $idle_threads)"
if [[ -s $work/stderr ]]; then
  echo "server reports on stderr: $(wc -l <"$work/stderr") lines, first: $(head -1 "$work/stderr")"
fi
