#!/usr/bin/env bash
# The web server's HTTPS port under load, against its floors in the same run: a bare epoll
# loop that answers every connection with the same fixed alert, and the same connections
# refused by a port where nothing listens. The load client sends Chromium's real
# ClientHello (tests/data/tls/chromium.bin) on one connection per request, at concurrency 1
# and 8; the servers take turns, `rounds` times for `seconds` each. Printed are the median
# connections per second, the server's own processor time per connection (user and system,
# from /proc), and the program's rate against each floor. As root it runs in a private
# network namespace, so its ports are nobody else's.
#   bench/https-load.sh [build folder] [seconds] [rounds]
set -euo pipefail
if [ "$(id -u)" -eq 0 ] && [ -z "${QUORLEN_BENCH_NETNS:-}" ]; then
  exec env QUORLEN_BENCH_NETNS=1 unshare --net --fork -- bash -c 'ip link set lo up; exec "$@"' \
    bench "$0" "$@"
fi
build=$(realpath "${1:-build}"); seconds=${2:-3}; rounds=${3:-3}
root=$(cd "$(dirname "$0")/.." && pwd)
hello=$root/tests/data/tls/chromium.bin
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
cp "$build/quorlen/1by1.jpg" "$work/1by1.jpg"
printf '\x15\x03\x03\x00\x02\x02\x70' > "$work/alert"  # fatal unrecognized_name, as the program sends
"$build/bench/responder_serve" 18080 "$work" 18443 & quorlen_pid=$!
"$build/bench/epoll_serve" 18444 "$work/alert" & epoll_pid=$!
# Nothing listens on 18445.
for _ in $(seq 100); do
  ss -Hltn "sport = :18443" | grep -q . && ss -Hltn "sport = :18444" | grep -q . && break
  sleep 0.05
done
servers=("quorlen 18443 $quorlen_pid 7" "epoll 18444 $epoll_pid 7" "refused 18445 - refused")
ticks() { if [ "$1" = - ]; then echo 0; else awk '{ print $14 + $15 }' "/proc/$1/stat"; fi; }
hz=$(getconf CLK_TCK)
for c in 1 8; do
  for round in $(seq 1 "$rounds"); do
    for server in "${servers[@]}"; do
      set -- $server
      before=$(ticks "$3")
      line=$("$build/bench/load_client" "$2" "$c" "$seconds" "$4" "$hello")
      after=$(ticks "$3")
      rate=$(awk '{ print $3 }' <<<"$line")
      failures=$(awk '{ print $(NF-1) }' <<<"$line")
      echo "$1 $c $rate $(awk -v t=$((after - before)) -v r="$rate" -v s="$seconds" -v hz="$hz" \
        'BEGIN { printf "%.1f", (r > 0 ? t / hz * 1e6 / (r * s) : 0) }') $failures" >> "$work/results"
    done
  done
done
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
printf "%-8s %11s %14s %18s %9s\n" server concurrency "connections/s" "CPU us/connection" failures
for c in 1 8; do
  for server in "${servers[@]}"; do
    set -- $server
    rate=$(awk -v s="$1" -v c="$c" '$1 == s && $2 == c { print $3 }' "$work/results" | median)
    cpu=$(awk -v s="$1" -v c="$c" '$1 == s && $2 == c { print $4 }' "$work/results" | median)
    failed=$(awk -v s="$1" -v c="$c" '$1 == s && $2 == c { n += $5 } END { print n + 0 }' "$work/results")
    [ "$1" = refused ] && cpu=-
    printf "%-8s %11d %14d %18s %9d\n" "$1" "$c" "$rate" "$cpu" "$failed"
    eval "rate_$1=$rate"
  done
  awk -v q="$rate_quorlen" -v e="$rate_epoll" -v r="$rate_refused" -v c="$c" 'BEGIN {
    printf "  concurrency %d: quorlen at %.0f %% of the epoll loop, %.0f %% of a refusing port\n", c, 100 * q / e, 100 * q / r }'
done
