#!/usr/bin/env bash
# Ad-server blocking in a browser started through quorlen-browser, on a page it takes for a
# public site, so that its guard of the local network is in force. The page asks listed
# servers for an image, a script and a fetch over HTTP and HTTPS: each ends, loaded or
# failed, within 2 s of the page's arrival, asking the user nothing (see the screenshots),
# and each answered one is counted once and listed in the recently blocked window. A
# loopback service no list names hears nothing. Popup blocking: off in Chromium, on in Firefox.
#   block_ads_browsers.sh <staged program folder> <work folder> <page server> <data folder> chromium|firefox
set -euo pipefail
here=$(dirname "$(realpath "$0")")
browser=$5
source "$here/work.sh"
needs_browser "$browser"
needs dbus-run-session
needs_atspi
prepare_work "$1" "$2" "$3"
exec "$here/sandbox.sh" "$work" dbus-run-session -- bash -c '
  set -euo pipefail
  here=$1 out=$2 data=$3 browser=$4
  program=$out/program probe=$here/where.py
  source "$here/desktop.sh"
  source "$here/windows_lib.sh"
  # No name server answers in the sandbox: a lookup fails at once instead of timing out.
  echo "nameserver 127.0.0.1" > /etc/resolv.conf
  start_desktop
  start_accessibility
  start_page_server
  /usr/bin/python3 -m http.server 9999 --bind 127.0.0.1 --directory "$site" 2>"$out/service.txt" &
  service=$!
  opened=""
  trap '"'"'kill $opened $server $service $desktop_pids 2>/dev/null || true'"'"' EXIT

  mapfile -t hosts < <(sed -n "2,7p" "$data/adservers-default.txt")
  cat > "$site/ads.html" <<PAGE
<html><head><title>public page</title></head><body><h1>A public page with ads</h1>
<script>
const ends = {}; let left = 6;
function end(what, loaded) {
  ends[what] = (loaded ? "loaded" : "failed") + ":" + Math.round(performance.now());
  if (--left) return;
  const arrived = Math.round(performance.getEntriesByType("navigation")[0].responseEnd);
  fetch("/report?arrived=" + arrived + "&" + Object.entries(ends).map(([k, v]) => k + "=" + v).join("&"));
}
</script>
<img src="http://${hosts[0]}/banners/ad.gif" onload="end(\x27image\x27, 1)" onerror="end(\x27image\x27, 0)">
<script src="http://${hosts[1]}/track.js" onload="end(\x27script\x27, 1)" onerror="end(\x27script\x27, 0)"></script>
<img src="https://${hosts[3]}/banners/ad.gif" onload="end(\x27https-image\x27, 1)" onerror="end(\x27https-image\x27, 0)">
<script src="https://${hosts[4]}/track.js" onload="end(\x27https-script\x27, 1)" onerror="end(\x27https-script\x27, 0)"></script>
<script>
fetch("http://${hosts[2]}/pixel?id=1").then(() => end("fetch", 1), () => end("fetch", 0));
fetch("https://${hosts[5]}/pixel?id=2").then(() => end("https-fetch", 1), () => end("https-fetch", 0));
</script>
</body></html>
PAGE
  sed -i "s/\\\\x27/\x27/g" "$site/ads.html"
  printf "<html><body><h1>A public page asking a local service</h1><img src=\"http://127.0.0.1:9999/service.gif\"></body></html>\n" > "$site/guard.html"
  # Each browser starts here and goes on once Quorlen has joined it: wait.html?<next>.
  printf "<html><body><h1>waiting</h1><script>setInterval(() => fetch(\"/go.txt\").then(r => r.ok && (location = location.search.slice(1))), 200)</script></body></html>\n" > "$site/wait.html"

  popups=False; [ "$browser" = firefox ] && popups=True
  QT_LOGGING_RULES="quorlen.browsers.info=true" start_quorlen "$out/stderr.txt" \
    bBlockAdServers=True bBlockIEPopups=$popups bMinimized=True
  wait_until 60 grep -qxF "127.0.0.1 ${hosts[0]}" /etc/hosts || fail "the hosts file was not built"
  start_probe
  profile=browser; [ "$browser" = firefox ] && profile=firefox
  start_browser "$browser" "$base/wait.html?/ads.html" "$out/browser.txt" public
  opened=$browser_pid
  wait_request /wait.html 60
  wait_until 60 grep -qxF "quorlen.browsers: joined the browser of $XDG_CONFIG_HOME/quorlen/$profile" \
    "$out/stderr.txt" || fail "Quorlen did not join $browser"
  echo go > "$site/go.txt"
  wait_request /report 30
  shot "ads-$browser"
  report=$(grep "^/report" "$out/requests.txt" | head -1)
  echo "$browser: $report"
  arrived=$(sed "s/.*arrived=\([0-9]*\).*/\1/" <<<"$report")
  fail=0
  for what in image script fetch https-image https-script https-fetch; do
    at=$(tr "&?" "\n\n" <<<"$report" | grep "^$what=" | cut -d: -f2)
    [ -n "$at" ] || { echo "$what did not end"; fail=1; continue; }
    [ $((at - arrived)) -le 2000 ] || { echo "$what ended $((at - arrived)) ms after the page arrived"; fail=1; }
  done

  settings=$(show_settings)
  click "check box" "Logging"
  click "push button" "Logging"
  window_of "^Quorlen - Recent Ads Blocked$" >/dev/null
  # Port 443 is answered once the web server listens there; until then HTTPS requests
  # that reach this machine fail, and nothing counts them.
  answered=6
  if [ "$browser" = firefox ] && ! ss -Hltn "sport = :443" | grep -q .; then answered=3; fi
  # Each one once; more are listed when the browser reports to listed servers (the
  # telemetry Firefox sends at start), counted like any other request.
  now=$(shown)
  for i in 0 1 2 3 4 5; do
    [ "$answered" = 3 ] && [ $i -ge 3 ] && continue
    n=$(grep "^list item|" <<<"$now" | grep -cF "'"'"'${hosts[$i]}'"'"'" || true)
    [ "$n" = 1 ] || { echo "${hosts[$i]} is listed $n times in the recently blocked window"; fail=1; }
  done
  listed=$(grep -c "^list item|" <<<"$now" || true)
  shot "recent-$browser"
  close_window "^Quorlen - Recent Ads Blocked$"

  start_browser "$browser" "$base/guard.html" "$out/guard.txt"
  wait_request /guard.html 30
  # The browser holds the request for its user to allow: no event tells that it is over.
  holds_for 2 not grep -q "service.gif" "$out/service.txt" || { echo "the local service was reached"; fail=1; }
  shot "guard-$browser"

  kill $opened 2>/dev/null || true
  end_program $pid
  total=$(blocked_total)
  [ "$total" = "$listed" ] || { echo "nTotBlocked is $total, but $listed were listed"; fail=1; }
  [ $fail = 0 ] || { cat "$out/requests.txt"; exit 1; }
  echo "e2e ad-server blocking in $browser from a public page: ok ($total requests counted)"
' e2e "$here" "$work" "$4" "$browser"
