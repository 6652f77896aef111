#!/usr/bin/env bash
# The program's web server against nginx serving the same bytes with keep-alive off and
# against a bare epoll loop (the floor), all on loopback, driven by the same bounded load
# client at concurrency 1 and 8, one connection per request. An optional fourth server,
# another build's responder_serve, is measured in the same run (before and after a change).
# The servers take turns, `rounds` times for `seconds` each; printed are the median
# connections per second and the server's own processor time per connection (user and
# system, from /proc), which other load on the machine disturbs less, and the program's
# rate against each peer.
#   bench/responder-load.sh [build folder] [seconds] [other responder_serve] [rounds]
set -euo pipefail
build=${1:-build}; seconds=${2:-3}; other=${3:-}; rounds=${4:-3}
root=$(cd "$(dirname "$0")/.." && pwd)
command -v nginx >/dev/null || { echo "needs nginx (apt-get install nginx-light)"; exit 1; }
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; nginx -p "$work" -c nginx.conf -s stop 2>/dev/null; rm -rf "$work"' EXIT
cp "$build/quorlen/1by1.jpg" "$work/1by1.jpg"
bytes=$(stat -c %s "$work/1by1.jpg")
cat > "$work/nginx.conf" <<CONF
worker_processes 1;
daemon on;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  keepalive_timeout 0;
  server {
    listen 127.0.0.1:18081;
    location / { root $work; try_files /1by1.jpg =404; default_type image/jpeg; }
  }
}
CONF
nginx -p "$work" -c nginx.conf
"$build/bench/responder_serve" 18080 "$work" & quorlen_pid=$!
"$build/bench/epoll_serve" 18082 "$work/1by1.jpg" & epoll_pid=$!
sleep 0.5
nginx_pid=$(pgrep -P "$(cat "$work/nginx.pid")" | head -1)
servers=("quorlen 18080 $quorlen_pid" "nginx 18081 $nginx_pid" "epoll 18082 $epoll_pid")
if [ -n "$other" ]; then
  "$other" 18083 "$work" & servers+=("other 18083 $!")
fi
sleep 1
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
for c in 1 8; do
  for round in $(seq 1 "$rounds"); do
    for server in "${servers[@]}"; do
      set -- $server
      before=$(ticks "$3")
      rate=$("$build/bench/load_client" "$2" "$c" "$seconds" "$bytes" | awk '{ print $3 }')
      after=$(ticks "$3")
      echo "$1 $c $rate $(awk -v t=$((after - before)) -v r="$rate" -v s="$seconds" -v hz="$hz" \
        'BEGIN { printf "%.1f", (r > 0 ? t / hz * 1e6 / (r * s) : 0) }')" >> "$work/results"
    done
  done
done
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
printf "%-8s %11s %14s %18s\n" server concurrency "connections/s" "CPU us/connection"
for c in 1 8; do
  for server in "${servers[@]}"; do
    set -- $server
    rate=$(awk -v s="$1" -v c="$c" '$1 == s && $2 == c { print $3 }' "$work/results" | median)
    cpu=$(awk -v s="$1" -v c="$c" '$1 == s && $2 == c { print $4 }' "$work/results" | median)
    printf "%-8s %11d %14d %18s\n" "$1" "$c" "$rate" "$cpu"
    eval "rate_$1=$rate"
  done
  awk -v q="$rate_quorlen" -v n="$rate_nginx" -v e="$rate_epoll" -v c="$c" 'BEGIN {
    printf "  concurrency %d: quorlen at %.0f %% of nginx, %.0f %% of the epoll loop\n", c, 100 * q / n, 100 * q / e }'
done
