# Sourced by the server benches: the loopback port a process listens on, waiting
# up to five seconds for it; empty when it never listens.
listening_port() {
  local pid=$1 port=
  for _ in $(seq 1 100); do
    port=$(ss -Hltnp 2>/dev/null | grep "pid=$pid," | grep -o '127\.0\.0\.1:[0-9]*' | head -1 | cut -d: -f2 || true)
    [[ -n $port ]] && break
    sleep 0.05
  done
  echo "$port"
}
