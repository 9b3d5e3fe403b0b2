#!/usr/bin/env bash
# Load test of the local web server beside nginx on the same files in the same run:
# index.html and a 1 MB file to wrk on loopback at 1, 16 and 64 connections, then
# 30 seconds at 16 connections while watching the server's memory. nginx (Debian's
# nginx-light) closes every connection after its answer, as ours does, with sendfile
# and 4 workers. Usage: bash bench/server.sh [seconds per run, default 10]
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_RUN=${1:-10}

cmake -S . -B build/cpp -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/cpp -j4 --target verhulzen_app serve_host >/dev/null
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
cp build/cpp/app/verhulzen_app.so "$work/run/"
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
  VERHULZEN_LOOPTIJD=3600 build/cpp/app/serve_host "$work/run/verhulzen_app.so" 2>"$work/stderr" &
server_pid=$!

port=
for _ in $(seq 1 100); do
  port=$(ss -Hltnp 2>/dev/null | grep "pid=$server_pid," | grep -o '127\.0\.0\.1:[0-9]*' | head -1 | cut -d: -f2 || true)
  [[ -n $port ]] && break
  sleep 0.05
done
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

rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$server_pid/status"; }
peak_kb() { awk '/^VmHWM/ {print $2}' "/proc/$server_pid/status"; }

# wrk's latency (1.5ms, 820.00us, 1.02s) in milliseconds.
as_ms() { awk -v t="$1" 'BEGIN { v = t + 0; if (t ~ /us$/) v /= 1000; else if (t ~ /[^m]s$/) v *= 1000; print v }'; }

# One wrk run against a port: "req/s p99 failures".
measure() {
  local target_port=$1 file=$2 connections=$3 duration=$4 threads out
  threads=$((connections < 4 ? connections : 4))
  out=$(wrk -t"$threads" -c"$connections" -d"${duration}s" --latency "http://127.0.0.1:$target_port/$file")
  local rps p99 non2xx errors
  rps=$(awk '/^Requests\/sec:/ {print $2}' <<<"$out")
  p99=$(awk '$1 == "99%" {print $2}' <<<"$out")
  non2xx=$(awk '/Non-2xx/ {print $NF}' <<<"$out")
  errors=$(grep -o 'Socket errors:.*' <<<"$out" | sed 's/Socket errors: //; s/ //g' || true)
  echo "$rps $p99 ${non2xx:-0}non-2xx,${errors:-noerrors}"
}

# Ours, then nginx, on the same file and load; the ratios are ours to nginx's.
compare() {
  local file=$1 connections=$2 duration=$3 ours theirs
  read -r o_rps o_p99 o_fail <<<"$(measure "$port" "$file" "$connections" "$duration")"
  read -r n_rps n_p99 n_fail <<<"$(measure "$nginx_port" "$file" "$connections" "$duration")"
  printf '%-10s %3s | %10s %9s | %10s %9s | %6s %6s | %s / %s\n' "$file" "$connections" \
    "$o_rps" "$o_p99" "$n_rps" "$n_p99" \
    "$(awk -v a="$o_rps" -v b="$n_rps" 'BEGIN { printf "%.2fx", a / b }')" \
    "$(awk -v a="$(as_ms "$o_p99")" -v b="$(as_ms "$n_p99")" 'BEGIN { printf "%.2fx", a / b }')" \
    "$o_fail" "$n_fail"
}

echo "server pid $server_pid on port $port, nginx on port $nginx_port; RSS at start $(rss_kb) kB"
printf '%-10s %3s | %10s %9s | %10s %9s | %6s %6s | %s\n' file conn "ours req/s" p99 "nginx req/s" p99 \
  req/s p99 "failures ours / nginx"
for connections in 1 16 64; do
  for file in index.html groot.bin; do
    compare "$file" "$connections" "$SECONDS_PER_RUN"
  done
done

echo "30 s at 16 connections on index.html, RSS sampled every 5 s:"
samples=()
measure "$port" index.html 16 30 >"$work/long" &
wrk_pid=$!
for _ in 1 2 3 4 5 6; do
  sleep 5
  samples+=("$(rss_kb)")
done
wait "$wrk_pid"
echo "req/s p99 failures: $(cat "$work/long")"
echo "RSS samples (kB): ${samples[*]}"
echo "peak RSS (VmHWM): $(peak_kb) kB; threads now: $(ls "/proc/$server_pid/task" | wc -l)"
if [[ -s $work/stderr ]]; then
  echo "server reports on stderr: $(wc -l <"$work/stderr") lines, first: $(head -1 "$work/stderr")"
fi
