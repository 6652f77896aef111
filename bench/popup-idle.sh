#!/usr/bin/env bash
# Idle CPU of the staged program with popup blocking on (the 50 ms input poll and a
# Chromium joined over DevTools) against the same program with popup blocking off, in
# one run, in a sandbox under a virtual desktop. Needs root (private namespaces).
#   bench/popup-idle.sh <build folder> [seconds]
set -euo pipefail
here=$(dirname "$(realpath "$0")")
build=$(realpath "${1:-build}")
seconds=${2:-30}
work=$(mktemp -d /tmp/quorlen-idle-XXXXXX)
cp -a "$build/quorlen" "$work/program"
trap 'rm -rf "$work"' EXIT
"$here/../tests/e2e/sandbox.sh" "$work" bash -c '
  set -euo pipefail
  source "$1/../tests/e2e/desktop.sh"
  program=$2/program; seconds=$3
  start_desktop
  mkdir -p /var/lib/quorlen; touch /var/lib/quorlen/first-start
  printf "<html><body><h1>idle page</h1></body></html>" > "$2/page.html"
  "$program/quorlen-browser" --disable-background-networking --disable-component-update \
    --disable-sync --no-first-run --disable-gpu --password-store=basic "file://$2/page.html" \
    >/dev/null 2>&1 &
  sleep 5
  ticks=$(getconf CLK_TCK)
  measure() {  # measure <bBlockIEPopups>
    printf "[Settings]\r\nbBlockAdServers=False\r\nbBlockIEPopups=%s\r\nbMinimized=True\r\n" "$1" > "$program/quorlen.ini"
    "$program/quorlen" 2>/dev/null &
    local pid=$! before after
    sleep 8  # started, joined, settled
    before=$(awk "{print \$14 + \$15}" /proc/$pid/stat)
    sleep "$seconds"
    after=$(awk "{print \$14 + \$15}" /proc/$pid/stat)
    kill -TERM $pid; wait $pid || true
    awk -v t=$((after - before)) -v hz="$ticks" -v s="$seconds" -v on="$1" \
      "BEGIN { printf \"popup blocking %-5s  %6.2f %% of one core (%d ticks in %d s)\\n\", on, 100 * t / hz / s, t, s }"
  }
  measure True
  measure False
' idle "$here" "$work" "$seconds"
