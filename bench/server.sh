#!/usr/bin/env bash
# Load test of the local web server: serves index.html and a 1 MB file to wrk on
# loopback at 1, 16 and 64 connections, then runs 30 seconds at 16 connections while
# watching the server's memory. Usage: bash bench/server.sh [seconds per run, default 10]
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_RUN=${1:-10}

cmake -S . -B build/cpp -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/cpp -j4 --target verhulzen_app serve_host >/dev/null

work=$(mktemp -d)
server_pid=
cleanup() {
  [[ -n $server_pid ]] && kill "$server_pid" 2>/dev/null || true
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

rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$server_pid/status"; }
peak_kb() { awk '/^VmHWM/ {print $2}' "/proc/$server_pid/status"; }

# One wrk run; prints requests per second, 99th percentile latency and failures.
run() {
  local file=$1 connections=$2 duration=$3 threads
  threads=$((connections < 4 ? connections : 4))
  local out
  out=$(wrk -t"$threads" -c"$connections" -d"${duration}s" --latency "http://127.0.0.1:$port/$file")
  local rps p99 non2xx errors
  rps=$(awk '/^Requests\/sec:/ {print $2}' <<<"$out")
  p99=$(awk '$1 == "99%" {print $2}' <<<"$out")
  non2xx=$(awk '/Non-2xx/ {print $NF}' <<<"$out")
  errors=$(grep -o 'Socket errors:.*' <<<"$out" || true)
  printf '%-11s %3s conn  %10s req/s  p99 %8s  failed: %s %s\n' "$file" "$connections" "$rps" "$p99" \
    "${non2xx:-0} non-2xx" "${errors:-no socket errors}"
}

echo "server pid $server_pid on port $port; RSS at start $(rss_kb) kB"
for connections in 1 16 64; do
  for file in index.html groot.bin; do
    run "$file" "$connections" "$SECONDS_PER_RUN"
  done
done

echo "30 s at 16 connections on index.html, RSS sampled every 5 s:"
samples=()
run index.html 16 30 &
wrk_pid=$!
for _ in 1 2 3 4 5 6; do
  sleep 5
  samples+=("$(rss_kb)")
done
wait "$wrk_pid"
echo "RSS samples (kB): ${samples[*]}"
echo "peak RSS (VmHWM): $(peak_kb) kB; threads now: $(ls "/proc/$server_pid/task" | wc -l)"
if [[ -s $work/stderr ]]; then
  echo "server reports on stderr: $(wc -l <"$work/stderr") lines, first: $(head -1 "$work/stderr")"
fi
