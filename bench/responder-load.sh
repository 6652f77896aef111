#!/usr/bin/env bash
# The program's web server against nginx serving the same bytes with keep-alive off, both
# on loopback, driven by the same bounded load client at concurrency 1 and 8.
#   bench/responder-load.sh [build folder] [seconds]
set -euo pipefail
build=${1:-build}; seconds=${2:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
command -v nginx >/dev/null || { echo "needs nginx (apt-get install nginx-light)"; exit 1; }
work=$(mktemp -d); trap 'kill $(jobs -p) 2>/dev/null; nginx -p "$work" -c nginx.conf -s stop 2>/dev/null; rm -rf "$work"' EXIT
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
"$build/bench/responder_serve" 18080 "$work" &
sleep 1
for c in 1 8; do
  echo "quorlen  $("$build/bench/load_client" 18080 "$c" "$seconds" "$bytes")"
  echo "nginx    $("$build/bench/load_client" 18081 "$c" "$seconds" "$bytes")"
done
