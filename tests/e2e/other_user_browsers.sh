#!/usr/bin/env bash
# Another local user (uid 65534) against Chromium and Firefox started through
# quorlen-browser, with the program joined, ended, and joined again: every loopback port
# tried as DevTools and BiDi, the launchers' sockets as they are and opened to everyone,
# take no command, while the user's program joins again and cancels the pages' popups.
#   other_user_browsers.sh <staged program folder> <work folder> <page server>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/work.sh"
needs_browser both
needs setpriv
prepare_work "$1" "$2" "$3"
exec "$here/sandbox.sh" "$work" bash -c '
  set -euo pipefail
  source "$1/desktop.sh"
  out=$2 program=$2/program
  start_desktop
  start_page_server
  chromium=""; firefox=""
  trap '"'"'kill $chromium $firefox $server $desktop_pids 2>/dev/null || true'"'"' EXIT
  # Each browser waits until told to go on to a page that opens a window on load, and tells
  # a moment later whether it was closed.
  echo "<script>setInterval(() => fetch(\"/go.txt\").then(r => r.ok && (location = \"/load.html\")), 250)</script>" >"$site/wait.html"
  echo "<script>onload = () => { const w = window.open(\"/pop-load.html\"); setTimeout(() => fetch(\"/closed-\" + (!w || w.closed)), 2000) }</script>" >"$site/load.html"
  echo "popup" >"$site/pop-load.html"
  # The intruder runs from a folder it may read.
  attacker=$(mktemp -d); cp "$1/intruder.py" "$attacker/"; chmod -R a+rX "$attacker"
  sockets="$XDG_RUNTIME_DIR/quorlen/chromium.sock $XDG_RUNTIME_DIR/quorlen/firefox.sock"
  intrude() {
    echo "-- $1"
    setpriv --reuid=65534 --regid=65534 --clear-groups /usr/bin/python3 "$attacker/intruder.py" $sockets ||
      fail "another user reached a browser $1"
  }
  start_program() {
    QT_LOGGING_RULES="quorlen.browsers.info=true" start_quorlen "$out/stderr-$1.txt" \
      bBlockAdServers=False bBlockIEPopups=True bMinimized=True
  }
  joins() { [ "$(cat "$out"/stderr-*.txt | grep -c "^quorlen.browsers: joined the browser of")" -ge "$1" ]; }
  wait_joined() {  # wait_joined <count of joins so far>
    wait_until 90 joins "$1" && return 0
    echo "Quorlen joined $(cat "$out"/stderr-*.txt | grep -c joined) browsers, not $1"; exit 1
  }
  start_program 1
  start_browser chromium "$base/wait.html" "$out/chromium.txt"; chromium=$browser_pid
  start_browser firefox "$base/wait.html" "$out/firefox.txt"; firefox=$browser_pid
  wait_joined 2
  intrude "while the program is joined"
  # A runtime folder left open to everyone: the launchers still serve only their user.
  chmod 755 "$XDG_RUNTIME_DIR" "$XDG_RUNTIME_DIR/quorlen"; chmod 777 $sockets
  intrude "through launcher sockets open to everyone"
  chmod 700 "$XDG_RUNTIME_DIR" "$XDG_RUNTIME_DIR/quorlen"
  for log in chromium firefox; do
    grep -q "^quorlen-browser: refused a connection from user 65534$" "$out/$log.txt" ||
      fail "the $log launcher did not tell of the refused user"
  done
  end_program $pid
  intrude "after the program has ended"
  start_program 2
  wait_joined 4
  echo go >"$site/go.txt"
  both_told() { [ "$(grep -c "^/closed-" "$out/requests.txt")" -ge 2 ]; }
  wait_until 30 both_told || true  # the check below says what is missing
  end_program $pid
  total=$(blocked_total)
  if grep -q "^/pop-load.html" "$out/requests.txt" || [ "$(grep -c "^/closed-true" "$out/requests.txt")" != 2 ] ||
      [ "$total" != 2 ]; then
    echo "the popups were not cancelled in both browsers (nTotBlocked=$total)"; cat "$out/requests.txt"; exit 1
  fi
  echo "e2e other user against the browsers: ok"
' e2e "$here" "$work"
