#!/usr/bin/env bash
# What answering the blocked ad servers costs a page in each browser: a page of 200
# requests, 20 of them (or none) for listed servers, from a site the browser takes for a
# public one, loaded `loads` times in a row, with the staged program blocking ad servers,
# against its floor in the same run:
#  - Chromium through quorlen-browser, joined: every request is held until the program
#    has looked its server up, and the listed ones are answered inside the browser;
#    floor: the same launcher on a profile the program does not watch, not joined (its
#    listed requests fail at its guard, which asks nothing when headless).
#  - Firefox through quorlen-browser, whose guard lets the blocked servers (all of them,
#    as the program keeps them) through to the web server; floor: the same launcher on a
#    profile the program does not watch, with only the page's 20 servers let through.
# Rounds alternate the two; the figure is the median of the page's load time (from the
# navigation's start to its load event) over every load after the first of each round.
#   bench/browser-ads.sh [build folder] [rounds] [loads] [chromium|firefox|both]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-build}"); rounds=${2:-3}; loads=${3:-10}; browsers=${4:-both}
if [ "$(id -u)" -ne 0 ]; then echo "needs root for a private /etc"; exit 1; fi
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cp -a "$build/quorlen" "$work/program"
exec "$root/tests/e2e/sandbox.sh" "$work" bash -c '
  set -euo pipefail
  root=$1; build=$2; rounds=$3; loads=$4; work=$5; browsers=$6
  source "$root/tests/e2e/desktop.sh"
  echo "nameserver 127.0.0.1" > /etc/resolv.conf
  NO_TRAY=1 start_desktop
  program=$work/program; site=$work/site; mkdir -p "$site/img"
  for i in $(seq 0 179); do cp "$program/1by1.jpg" "$site/img/$i.jpg"; done
  mapfile -t listed < <(sed -n "2,21p" "$root/data/adservers-default.txt")
  # page <listed> <next page>: 200 images, <listed> of them from listed servers.
  page() {
    {
      echo "<html><body><script>"
      echo "onload = () => setTimeout(() => { const n = performance.getEntriesByType(\"navigation\")[0];"
      echo " const run = +new URLSearchParams(location.search).get(\"run\");"
      echo " fetch(\"/done?page=$1&run=\" + run + \"&ms=\" + Math.round(n.loadEventStart - n.startTime))"
      echo "  .then(() => location = run < $loads ? \"?run=\" + (run + 1) : \"$2\"); }, 0);"
      echo "</script>"
      for i in $(seq 0 $((199 - $1))); do echo "<img src=\"/img/$i.jpg?\" width=1 height=1>"; done
      for i in $(seq 0 $(($1 - 1))); do echo "<img src=\"http://${listed[$i]}/banners/ad$i.gif\" width=1 height=1>"; done
      echo "</body></html>"
    } > "$site/page-$1.html"
  }
  page 20 "/page-0.html?run=0"
  page 0 "/end.html"
  echo "<html><body>end</body></html>" > "$site/end.html"
  "$build/tests/page_server" "$site" "$work/requests.txt" "$work/port.txt" >/dev/null 2>&1 &
  server=$!
  for _ in $(seq 1 50); do [ -s "$work/port.txt" ] && break; sleep 0.1; done
  port=$(cat "$work/port.txt"); start="http://127.0.0.1:$port/page-20.html?run=0"

  mkdir -p /var/lib/quorlen; touch /var/lib/quorlen/first-start
  printf "[Settings]\r\nbBlockAdServers=True\r\nbBlockIEPopups=False\r\nbMinimized=True\r\n" > "$program/quorlen.ini"
  QT_LOGGING_RULES="quorlen.browsers.info=true" "$program/quorlen" 2>"$work/stderr.txt" &
  pid=$!
  trap '"'"'kill $pid $server $desktop_pids 2>/dev/null || true'"'"' EXIT
  names=$XDG_CONFIG_HOME/quorlen/firefox/blocked-servers.txt
  for _ in $(seq 1 200); do [ -s "$names" ] && break; sleep 0.1; done
  [ -s "$names" ] || { echo "the program did not tell the blocked servers"; exit 1; }

  # A browser the program joins starts here, and goes on once the program has joined it.
  echo "<html><body><script>setInterval(() => fetch(\"/go.txt\").then(r => r.ok && (location = location.search.slice(1))), 100)</script></body></html>" > "$site/wait.html"
  joins() { grep -cxF "quorlen.browsers: joined the browser of $XDG_CONFIG_HOME/quorlen/browser" "$work/stderr.txt" || true; }
  # run <label> <command...>: the browser loads both pages; the loads after the first of
  # each page are kept.
  run() {
    local label=$1; shift
    : > "$work/requests.txt"
    local joined; joined=$(joins)
    "$@" >"$work/$label.txt" 2>&1 &
    local browser=$!
    if [ "$label" = chromium-joined ]; then
      for _ in $(seq 1 300); do [ "$(joins)" -gt "$joined" ] && break; sleep 0.1; done
      echo go > "$site/go.txt"
    fi
    for _ in $(seq 1 1200); do grep -q "^/end.html" "$work/requests.txt" && break; sleep 0.1; done
    kill $browser 2>/dev/null; wait $browser 2>/dev/null || true
    rm -f "$site/go.txt"
    grep -q "^/end.html" "$work/requests.txt" || { echo "$label: the pages did not finish"; exit 1; }
    grep "^/done" "$work/requests.txt" | grep -v "run=0&" |
      sed "s/.*page=\([0-9]*\)&run=\([0-9]*\).*ms=\([0-9]*\)/$label \1 \3 \2/" >> "$work/loads.txt"
  }
  chromium_args="--headless=new --disable-gpu --no-first-run --no-default-browser-check
    --disable-background-networking --disable-component-update --disable-sync
    --ip-address-space-overrides=127.0.0.1:$port=public"
  # The floors run through the launcher as well, on profiles the program does not watch.
  floor=$work/floor-config; mkdir -p "$floor/quorlen/firefox" "$XDG_CONFIG_HOME/quorlen/firefox"
  printf "%s\n" "${listed[@]}" > "$floor/quorlen/firefox/blocked-servers.txt"
  # The page server stands for a public site; a browser ended by the benchmark does not
  # bring its pages back at its next start.
  for profile in "$floor/quorlen/firefox" "$XDG_CONFIG_HOME/quorlen/firefox"; do
    printf "user_pref(\"%s\", %s);\n" network.lna.address_space.public.override "\"127.0.0.1:$port\"" \
      browser.sessionstore.resume_from_crash false > "$profile/prefs.js"
  done
  for round in $(seq 1 "$rounds"); do
    if [ "$browsers" != firefox ]; then
      # shellcheck disable=SC2086
      XDG_CONFIG_HOME=$floor run chromium-floor "$program/quorlen-browser" $chromium_args "$start"
      # shellcheck disable=SC2086
      run chromium-joined "$program/quorlen-browser" $chromium_args \
        "http://127.0.0.1:$port/wait.html?$start"
    fi
    [ "$browsers" = chromium ] && continue
    XDG_CONFIG_HOME=$floor run firefox-floor "$program/quorlen-browser" --firefox --headless "$start"
    run firefox-quorlen "$program/quorlen-browser" --firefox --headless "$start"
  done
  [ -n "${BENCH_SHOW:-}" ] && cat "$work/loads.txt"
  echo "servers the program keeps for Firefox: $(wc -l < "$names"), $(wc -c < "$names") bytes"
  awk "{ key = \$1 \" \" \$2; ms[key] = ms[key] \" \" \$3 }
    END { for (key in ms) print key, ms[key] }" "$work/loads.txt" | sort | while read -r label listed_count values; do
    median=$(tr " " "\n" <<<"$values" | grep . | sort -n | awk "{ v[NR] = \$1 } END { print v[int((NR + 1) / 2)] }")
    echo "$label page with $listed_count listed: median load $median ms over $(wc -w <<<"$values") loads"
  done
' bench "$root" "$build" "$rounds" "$loads" "$work" "$browsers"
