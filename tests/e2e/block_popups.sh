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
case $browsers in
  chromium) needed=chromium ;;
  firefox) needed=firefox-esr ;;
  both) needed="chromium firefox-esr" ;;
  *) echo "unknown browser $browsers"; exit 2 ;;
esac
for browser in $needed; do command -v "$browser" >/dev/null || { echo "needs $browser"; exit 77; }; done
source "$here/work.sh"
prepare_work "$1" "$2"
cp "$(realpath "$3")" "$work/page_server"
exec "$here/sandbox.sh" "$work" bash -c '
  set -euo pipefail
  source "$1/desktop.sh"
  program=$2/program; out=$2
  site=$out/site; mkdir -p "$site"
  start_desktop

  "$out/page_server" "$site" "$out/requests.txt" "$out/port.txt" >"$out/page_server.txt" 2>&1 &
  server=$!
  browsers=$3
  chromium=""; firefox=""
  # Nothing started here outlives the test: the browsers and the server hold its output.
  trap '"'"'kill $chromium $firefox $server $desktop_pids 2>/dev/null || true'"'"' EXIT
  wait_until 5 test -s "$out/port.txt"
  port=$(cat "$out/port.txt"); base="http://127.0.0.1:$port"
  requested() { grep -qxF "$1" "$out/requests.txt"; }
  wait_request() {
    wait_until "${2:-20}" requested "$1" && return 0
    echo "the browser never asked for $1"; cat "$out/requests.txt"; return 1
  }
  # Presses held 100 ms, as a person clicks.
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

  # An earlier start happened; the white list allows the pages under /white.
  mkdir -p /var/lib/quorlen; touch /var/lib/quorlen/first-start
  printf "[Settings]\r\nbBlockAdServers=False\r\nbBlockIEPopups=True\r\nbMinimized=True\r\n" > "$program/quorlen.ini"
  printf "[DomainCount]\r\nN=1\r\n[Domains]\r\nD0=127.0.0.1:$port/WHITE\r\n" > "$program/userwl.ini"

  QT_LOGGING_RULES="quorlen.browsers.info=true" "$program/quorlen" 2>"$out/stderr.txt" &
  pid=$!
  # Waits until the browser runs its waiting page and Quorlen, which tells of what it does
  # with browsers on its error output, has joined it; then a moment for Quorlen to ask to
  # hear of new windows.
  wait_joined() {
    local browser=$1 profile=browser
    [ "$browser" = firefox ] && profile=firefox
    wait_request "/go-$browser.txt" 60
    wait_until 60 grep -qxF "quorlen.browsers: joined the browser of $XDG_CONFIG_HOME/quorlen/$profile" \
      "$out/stderr.txt" || { echo "Quorlen did not join $browser"; return 1; }
    sleep 1
  }
  # Each browser starts on the waiting page and goes on to $1 once told to.
  start_chromium() {
    "$program/quorlen-browser" --disable-background-networking --disable-component-update \
      --disable-sync --no-first-run --no-default-browser-check --disable-gpu \
      --password-store=basic --window-position=0,0 --window-size=1000,720 \
      "$base/wait.html?go-chromium.txt&$1" >"$out/chromium.txt" 2>&1 &
    chromium=$!
    wait_joined chromium
  }
  start_firefox() {
    "$program/quorlen-browser" --firefox "$base/wait.html?go-firefox.txt&$1" >"$out/firefox.txt" 2>&1 &
    firefox=$!
    wait_joined firefox
  }
  go_on() { echo go > "$site/go-$1.txt"; }
  case $browsers in
    chromium) start_chromium /load.html; go_on chromium ;;
    firefox) start_firefox /load.html; go_on firefox ;;
    both)
      start_firefox /js.html
      start_chromium /load.html; go_on chromium ;;
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
    import -window root "$out/handover.png" 2>/dev/null || true
    go_on firefox
    xdotool search --onlyvisible --class firefox | head -1 | xargs -r xdotool windowactivate 2>/dev/null || true
  fi
  wait_request /js.html
  wait_request /shown/late
  click_at 200 300
  wait_request /white.html 15
  wait_request /tray.html
  import -window root "$out/before-tray.png" 2>/dev/null || true
  # The tray menu: its last entries are the allowance, a dashed line, Exit and Close.
  click_tray_icon 3
  wait_until 10 menu_shown || { echo "the tray menu did not open"; exit 1; }
  import -window root "$out/tray-menu.png" 2>/dev/null || true
  xdotool key --delay 100 Up Up Up Up
  import -window root "$out/tray-menu-chosen.png" 2>/dev/null || true
  xdotool key Return
  wait_request /done.html 15
  wait_until 10 not menu_shown
  # The tray entry of the last white-listed page opens the white-list editor on it.
  click_tray_icon 3
  wait_until 10 menu_shown || { echo "the tray menu did not open"; exit 1; }
  xdotool key --delay 100 Up Up Up Up Up Up Up Up
  xdotool key Return
  wait_for_window "^Popup Ad site White List" 10 >/dev/null || { echo "the white-list editor did not open"; exit 1; }
  import -window root "$out/white-list-editor.png" 2>/dev/null || true
  end_program $pid

  fail=0
  for popup in click shift dbl js white tray; do
    requested "/pop-$popup.html" || { echo "the $popup popup did not open"; fail=1; }
  done
  for popup in load timer late; do
    requested "/pop-$popup.html" && { echo "the $popup popup reached its server"; fail=1; }
  done
  total=$(grep -a "^nTotBlocked=" "$program/quorlen.ini" | tr -d "\r" | cut -d= -f2)
  [ "$total" = 3 ] || { echo "nTotBlocked is $total, not 3"; fail=1; }
  [ $fail = 0 ] || { cat "$out/requests.txt"; exit 1; }
  echo "e2e popup blocking in $browsers: ok"
' e2e "$here" "$work" "$browsers"
