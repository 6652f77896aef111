#!/usr/bin/env bash
# How long a browser started through quorlen-browser takes to be joined: from the
# launcher's start to the program's "joined the browser of ..." line, for several starts
# of each browser, in a sandbox under a virtual desktop. A measurement, not a test.
#   bench/join_time.sh <staged program folder> <work folder> [runs]
set -euo pipefail
here=$(dirname "$(realpath "$0")")/../tests/e2e
source "$here/work.sh"
prepare_work "$1" "$2"
exec "$here/sandbox.sh" "$work" bash -c '
  set -euo pipefail
  source "$1/desktop.sh"
  out=$2 runs=$3 program=$2/program
  start_desktop
  mkdir -p /var/lib/quorlen; touch /var/lib/quorlen/first-start
  printf "[Settings]\r\nbBlockAdServers=False\r\nbBlockIEPopups=True\r\nbMinimized=True\r\n" > "$program/quorlen.ini"
  QT_LOGGING_RULES="quorlen.browsers.info=true" \
    QT_MESSAGE_PATTERN="%{time yyyy-MM-dd HH:mm:ss.zzz} %{category}: %{message}" \
    "$program/quorlen" 2>"$out/stderr.txt" &
  pid=$!
  trap "kill \$pid \$desktop_pids 2>/dev/null || true" EXIT
  sleep 5  # the delayed start-up step starts the browser tracker
  ms() { date -d "$1" +%s%3N; }
  for browser in chromium firefox; do
    times=()
    for run in $(seq 1 "$runs"); do
      seen=$(grep -c "joined the browser of" "$out/stderr.txt" || true)
      start=$(date +%s%3N)
      if [ $browser = chromium ]; then
        "$program/quorlen-browser" --no-first-run --disable-gpu --password-store=basic about:blank >/dev/null 2>&1 &
      else
        "$program/quorlen-browser" --firefox about:blank >/dev/null 2>&1 &
      fi
      launcher=$!
      for _ in $(seq 1 600); do
        [ "$(grep -c "joined the browser of" "$out/stderr.txt" || true)" -gt "$seen" ] && break
        sleep 0.02
      done
      line=$(grep "joined the browser of" "$out/stderr.txt" | tail -1)
      times+=($(( $(ms "${line:0:23}") - start )))
      # The launcher (or, started by an older one, the browser itself) ends with the browser.
      kill $launcher; wait $launcher 2>/dev/null || true
    done
    echo "$browser join ms: ${times[*]}"
  done
' join "$here" "$work" "${3:-5}"
