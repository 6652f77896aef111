#!/usr/bin/env bash
# Captures the first flight curl, headless Chromium and Firefox send for https://<name>/ to
# a port 443 listener that never answers; in private mount and network namespaces, so the
# machine's /etc/hosts and port 443 are never touched. As root: capture.sh [name] [folder]
set -euo pipefail
name=${1:-005.free-counters.co.uk}
out=${2:-$(dirname "$0")}
mkdir -p "$out"; out=$(realpath "$out")
exec unshare --mount --net --fork -- bash -c '
  set -euo pipefail
  name=$1; out=$2
  mount --make-rprivate /
  scratch=$(mktemp -d)
  printf "127.0.0.1 localhost\n127.0.0.1 %s\n" "$name" > "$scratch/hosts"
  mount --bind "$scratch/hosts" /etc/hosts
  ip link set lo up
  # What the client "$@" sends until it has sent nothing for a second; then it is ended.
  capture() {
    local file=$1; shift
    python3 - "$out/$file" <<PY &
import socket, sys
server = socket.socket(); server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
server.bind(("127.0.0.1", 443)); server.listen(1)
connection, _ = server.accept(); connection.settimeout(1.0); data = b""
try:
    while chunk := connection.recv(65536): data += chunk
except socket.timeout:
    pass
open(sys.argv[1], "wb").write(data)
PY
    listener=$!
    for _ in $(seq 100); do ss -ltn | grep -q ":443 " && break; sleep 0.05; done
    "$@" >/dev/null 2>&1 &
    wait $listener; kill $! 2>/dev/null || true
  }
  capture curl.bin curl -sS --max-time 3 "https://$name/"
  capture chromium.bin timeout 20 chromium --headless=new --no-sandbox --disable-gpu \
    --no-first-run --user-data-dir="$scratch/chromium" "https://$name/ads/banner.gif"
  mkdir -p "$scratch/firefox"
  HOME=$scratch capture firefox.bin timeout 30 firefox-esr --headless --no-remote \
    --profile "$scratch/firefox" "https://$name/ads/banner.gif"
  wait 2>/dev/null || true
  ls -l "$out"/*.bin
' capture "$name" "$out"
