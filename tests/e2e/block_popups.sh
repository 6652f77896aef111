#!/usr/bin/env bash
# Popup blocking end to end, in a sandbox under a virtual desktop with a tray: the staged
# program and a real browser started through quorlen-browser, real X input from xdotool,
# which the program sees both on the X server and in the browser's pages: a press the two
# both see counts once.
# Pages chain themselves from one case to the next, so each page that goes on after a
# cancelled window shows that its opener kept working. At the end the web server's log
# says which popups reached it and "nTotBlocked" counts the cancelled ones. The same pages
# run in Chromium, in Firefox, or with both open: the first half of the cases in
# Chromium, then the rest in Firefox, which has waited meanwhile.
#   block_popups.sh <staged program folder> <work folder> <page server> [chromium|firefox|both]
set -euo pipefail
here=$(dirname "$(realpath "$0")")
browsers=${4:-chromium}
source "$here/work.sh"
needs_browser "$browsers"
prepare_work "$1" "$2" "$3"
exec "$here/sandbox.sh" "$work" bash -c '
  set -euo pipefail
  source "$1/desktop.sh"
  program=$2/program; out=$2
  start_desktop

  start_page_server
  browsers=$3
  chromium=""; firefox=""
  # Nothing started here outlives the test: the browsers and the server hold its output.
  trap '"'"'kill $chromium $firefox $server $desktop_pids 2>/dev/null || true'"'"' EXIT
  # Presses held 100 ms, as a person clicks: how long a press lasts and how far apart two
  # come is what the program and the page judge, so these sleeps are the input itself.
  click_at() {
    xdotool mousemove "$1" "$2"; sleep 0.2
    xdotool mousedown 1; sleep 0.12; xdotool mouseup 1
  }

  # Each page asks for /shown/<name> once it is drawn, so a click waits for that.
  page() {  # page <name> <body and script>
    printf "<html><head><title>%s</title></head><body style=\"margin:0\">%b<script>requestAnimationFrame(() => requestAnimationFrame(() => fetch(\"/shown/%s\")))</script></body></html>\n" "$1" "$2" "$1" > "$site/$1.html"
  }
  button="<button id=b style=\"position:absolute;left:0;top:0;width:500px;height:300px;font-size:40px\""
  page load "<h1>load</h1><script>onload = () => { window.open(\"/pop-load.html\"); setTimeout(() => location = \"/timer.html\", 2500) }</script>"
  page timer "<h1>timer</h1><script>setTimeout(() => window.open(\"/pop-timer.html\"), 1000); setTimeout(() => location = \"/click.html\", 3000)</script>"
  page click "$button onclick=\"window.open(\x27/pop-click.html\x27); setTimeout(() => location = \x27/shift.html\x27, 3500)\">click</button>"
  # The page moves within itself after the click, which clears the click but not a held
  # Shift: only Shift lets the window open.
  page shift "$button onclick=\"location.hash = \x27moved\x27; setTimeout(() => window.open(\x27/pop-shift.html\x27), 400); setTimeout(() => location = \x27/dblclick.html\x27, 3500)\">shift click</button>"
  # With both browsers, Chromium stops after the double click and Firefox goes on.
  after_dbl=js; [ "$browsers" = both ] && after_dbl=handover
  page dblclick "$button ondblclick=\"window.open(\x27/pop-dbl.html\x27); setTimeout(() => location = \x27/$after_dbl.html\x27, 3500)\">double click</button>"
  page handover "<h1>over to Firefox</h1>"
  # A browser starts here and waits until told to go on, which it is once Quorlen has
  # joined it: wait.html?<file that says go>&<page to go on to>.
  page wait "<h1>waiting</h1><script>const [go, next] = location.search.slice(1).split(\"\x26\"); setInterval(() => fetch(\"/\" + go).then(r => r.ok \x26\x26 (location = next)), 250)</script>"
  page js "<a id=j href=\"javascript:void(window.open(\x27/pop-js.html\x27))\">script link</a><script>setTimeout(() => j.click(), 2500); setTimeout(() => location = \"/late.html\", 6000)</script>"
  page late "$button onclick=\"setTimeout(() => window.open(\x27/pop-late.html\x27), 3000); setTimeout(() => location = \x27/white.html\x27, 4500)\">late</button>"
  page white "<h1>white</h1><script>onload = () => { window.open(\"/pop-white.html\"); setTimeout(() => location = \"/tray.html\", 3000) }</script>"
  page tray "<h1>tray</h1><script>setTimeout(() => window.open(\"/pop-tray.html\"), 9000); setTimeout(() => location = \"/done.html\", 11000)</script>"
  page done "<h1>done</h1>"
  for popup in load timer click shift dbl js late white tray; do
    page "pop-$popup" "<h1>popup $popup</h1><script>setTimeout(() => close(), 800)</script>"
  done

  # The white list allows the pages under /white.
  printf "[DomainCount]\r\nN=1\r\n[Domains]\r\nD0=127.0.0.1:$port/WHITE\r\n" > "$program/userwl.ini"
  QT_LOGGING_RULES="quorlen.browsers.info=true;quorlen.debug.info=true" \
    start_quorlen "$out/stderr.txt" bBlockAdServers=False bBlockIEPopups=True bMinimized=True
  # Each browser starts on the waiting page and goes on to $2 once told to. It is ready
  # once Quorlen, which tells what it does with browsers on its error output, has joined it
  # and follows the window of the waiting page (Chromium names the page as it is joined,
  # Firefox as the navigation to the page begins).
  start() {
    local profile=browser
    [ "$1" = firefox ] && profile=firefox
    start_browser "$1" "$base/wait.html?go-$1.txt&$2" "$out/$1.txt"
    printf -v "$1" %s "$browser_pid"
    wait_request "/go-$1.txt" 60
    wait_until 60 grep -qxF "quorlen.browsers: joined the browser of $XDG_CONFIG_HOME/quorlen/$profile" \
      "$out/stderr.txt" || { echo "Quorlen did not join $1"; return 1; }
    wait_until 60 grep -qE "quorlen.debug: (# url |nav begin .* to )$base/wait.html\?go-$1" \
      "$out/stderr.txt" || { echo "Quorlen does not follow the page in $1"; return 1; }
  }
  go_on() { echo go > "$site/go-$1.txt"; }
  case $browsers in
    both) start firefox /js.html; start chromium /load.html; go_on chromium ;;
    *) start "$browsers" /load.html; go_on "$browsers" ;;
  esac

  wait_request /timer.html 60
  wait_request /shown/click
  click_at 200 300
  wait_request /shown/shift
  xdotool mousemove 200 300; sleep 0.2
  xdotool keydown shift; sleep 0.1; xdotool mousedown 1; sleep 0.12; xdotool mouseup 1; sleep 0.1; xdotool keyup shift
  wait_request /shown/dblclick
  xdotool mousemove 200 300; sleep 0.2
  xdotool mousedown 1; sleep 0.1; xdotool mouseup 1; sleep 0.08; xdotool mousedown 1; sleep 0.1; xdotool mouseup 1
  if [ "$browsers" = both ]; then
    wait_request /handover.html
    go_on firefox
    xdotool search --onlyvisible --class firefox | head -1 | xargs -r xdotool windowactivate 2>/dev/null || true
  fi
  wait_request /js.html
  wait_request /shown/late
  click_at 200 300
  wait_request /white.html 15
  wait_request /tray.html
  # The tray menu: its last entries are the allowance, a dashed line, Exit and Close.
  choose_in_tray_menu Up Up Up Up Return
  wait_request /done.html 15
  # The tray entry of the last white-listed page opens the white-list editor on it.
  choose_in_tray_menu Up Up Up Up Up Up Up Up Return
  wait_for_window "^Popup Ad site White List" 10 >/dev/null || { echo "the white-list editor did not open"; exit 1; }
  end_program $pid

  fail=0
  for popup in click shift dbl js white tray; do
    requested "/pop-$popup.html" || { echo "the $popup popup did not open"; fail=1; }
  done
  for popup in load timer late; do
    requested "/pop-$popup.html" && { echo "the $popup popup reached its server"; fail=1; }
  done
  [ "$(blocked_total)" = 3 ] || { echo "nTotBlocked is $(blocked_total), not 3"; fail=1; }
  [ $fail = 0 ] || { cat "$out/requests.txt"; exit 1; }
  echo "e2e popup blocking in $browsers: ok"
' e2e "$here" "$work" "$browsers"
