#!/usr/bin/env bash
# Popup blocking in each browser named, through quorlen-browser, on pages taken for a public
# site, under X11 with a tray (xdotool) or headless sway as an ordinary user (a virtual
# pointer and wtype). Each browser in turn, the earlier ones still open, runs every case
# below: a cancelled window is never requested, is counted and closed; an allowed one opens
# for the rule the debug log names.
#   popups.sh <staged program folder> <work folder> <x11|sway> <page server>
#             <virtual pointer> <browser>...   (chromium, firefox)
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/sway.sh"
if [ "${1:-}" != --as-user ]; then
  needs_browser "${@:6}"
  [ "$3" = sway ] && sandboxed_as_user "$1" "$2" "$4" "$5" -- sway "${@:6}"
  prepare_work "$1" "$2" "$4"
  exec "$here/sandbox.sh" "$work" "$0" --as-user "$work" x11 "${@:6}"
fi
work=$2 out=$2 program=$2/program desktop=$3
browsers=("${@:4}")
log=$work/stderr.txt
chromium="" firefox="" server="" pointer=""

# Each case: its page, what the page does, what the user does, and the decision's log line on
# X11 and on sway (a pattern, " or " between choices).
cases=(
  "load|window.open(\"pop-load.html\", \"load\", size)||BLOCKED|BLOCKED"
  # X11 and the page may both count the one press, which then makes a double click.
  "click|b.onclick = () => window.open(\"pop-click.html\", \"click\", size)|click|ALLOWED: (MouseClicked once or User Double Clicked)|ALLOWED: MouseClicked once"
  "dblclick|b.ondblclick = () => window.open(\"pop-dblclick.html\", \"dblclick\", size)|double_click|ALLOWED: User Double Clicked|ALLOWED: User Double Clicked"
  # The page's own script follows the link: no press, the link's script alone.
  "js|j.click()||ALLOWED: Java Open|ALLOWED: Java Open"
  # The page moves within itself after the click, clearing the click but not the held Shift,
  # whose flag stays until the next press and 2 s more: the next case presses, opens 3 s later.
  "shift|b.onclick = () => { location.hash = \"moved\"; setTimeout(() => window.open(\"pop-shift.html\", \"shift\", size), 400) }|shift_click|ALLOWED: Allow Hot Key Down|ALLOWED: Allow Hot Key Down"
  "late|b.onclick = () => setTimeout(() => window.open(\"pop-late.html\", \"late\", size), 3000)|click|BLOCKED|BLOCKED"
)
field() { cut -d'|' -f"$1" <<<"$2"; }
column=4
[ "$desktop" = sway ] && column=5

# What differs between the desktops: the input, the focus, where a window shows.
if [ "$desktop" = sway ]; then
  start_sway
  # Popups and the program's window (no tray) go elsewhere: the page keeps the whole screen.
  swaymsg 'for_window [title="^popup "] move container to workspace popups' >/dev/null
  swaymsg 'for_window [title="^Quorlen "] move container to workspace quorlen' >/dev/null
  mkfifo "$work/pointer"
  "$work/virtual_pointer" 1024 768 "$work/pointer" 2>"$work/pointer.txt" &
  pointer=$!
  # Presses held and spaced as a person's, on the page's button, which the pointer enters
  # afresh (the windows have moved since the last click), timed by the pointer itself.
  click() { printf 'move 200 200\nmove 250 250\nwait 100\npress 1\nwait 100\nrelease 1\n' >"$work/pointer"; }
  double_click() { click; printf 'wait 80\npress 1\nwait 100\nrelease 1\n' >"$work/pointer"; }
  hold_shift() { wtype -P Shift_L -s 2500 -p Shift_L; }
  focused_page() { [[ "$(focused_title)" == "$1"* ]]; }
  popup_shown() { windows_on popups | grep -q "^popup $2"; }
  watch_windows "$work/window-events.txt"
  show_browser() { swaymsg "workspace $1" >/dev/null; }
  settings=()
else
  source "$here/desktop.sh"
  start_desktop
  # Presses held and spaced as a person's: these sleeps are the input itself.
  press() { xdotool mousedown 1; sleep 0.1; xdotool mouseup 1; }
  click() { xdotool mousemove 200 200; sleep 0.1; xdotool mousemove 250 250; sleep 0.1; press; }
  double_click() { click; sleep 0.08; press; }
  hold_shift() { xdotool keydown shift; sleep 2.5; xdotool keyup shift; }
  # The page's window is made the active one: an opened popup takes the focus.
  focused_page() {
    local id
    [[ "$(timeout 5 xdotool getactivewindow getwindowname 2>/dev/null)" == "$1"* ]] && return
    id=$(window_shown "^$1 ") && timeout 5 xdotool windowactivate "$id" 2>/dev/null
    false
  }
  focused_title() { timeout 5 xdotool getactivewindow getwindowname 2>/dev/null || true; }
  popup_shown() { window_shown "^popup $2" >/dev/null; }
  show_browser() { true; }
  settings=(bMinimized=True)
fi

# Nothing started here outlives the test: the browsers and the server hold its output.
trap 'kill $chromium $firefox $server $pointer ${keyboard_pid:-} ${sway_pid:-} ${desktop_pids:-} 2>/dev/null || true' EXIT
start_page_server || fail "the page server did not start"
# Firefox can miss a key pressed just as its window takes the focus back from a popup:
# Shift is held until the page tells of it, and pressed again if the page never did.
shift_reports() { grep -c 'browsers: a page tells .*"keydown","key":"Shift"' "$log" || true; }
more_shift_reports() { [ "$(shift_reports)" -gt "$1" ]; }
shift_click() {
  local before held attempt
  before=$(shift_reports)
  for attempt in 1 2 3; do
    hold_shift &
    held=$!
    if wait_until 2 more_shift_reports "$before"; then
      click
      wait $held
      return
    fi
    wait $held
  done
  fail "the page never told of the held Shift"
}
QT_LOGGING_RULES="quorlen.browsers.info=true;quorlen.debug.info=true" \
  QT_MESSAGE_PATTERN="%{time process} %{category}: %{message}" \
  start_quorlen "$log" bBlockAdServers=False bBlockIEPopups=True nTotBlocked=5 "${settings[@]}"
if [ "$desktop" = sway ]; then
  wait_until 20 grep -q "shows no system tray" "$log" || fail "start-up did not end"
fi

# Every page goes on to the next once told to: /<browser>/open-<page> is there.
write_pages() {
  local folder=$site/$1 names=(wait) scripts=("") entry i
  mkdir -p "$folder"
  for entry in "${cases[@]}"; do
    names+=("${entry%%|*}")
    scripts+=("$(field 2 "$entry")")
    printf "<html><head><title>popup %s</title></head><body><h1>popup %s</h1></body></html>\n" \
      "${entry%%|*}" "${entry%%|*}" >"$folder/pop-${entry%%|*}.html"
  done
  names+=(done)
  for i in $(seq 0 $((${#names[@]} - 2))); do
    cat >"$folder/${names[i]}.html" <<PAGE
<html><head><title>${names[i]}</title></head><body style="margin:0">
<button id=b style="position:absolute;left:0;top:0;width:500px;height:300px;font-size:40px">${names[i]}</button>
<a id=j style="position:absolute;top:320px" href="javascript:void(window.open('pop-js.html', 'js', size))">script link</a>
<script>
const size = "width=320,height=240,left=660,top=500";
const open_when = (name, then) => {
  let asked = setInterval(() => fetch("open-" + name).then(r => {
    if (r.ok && asked) { clearInterval(asked); asked = 0; then() }
  }), 150);
};
open_when("${names[i]}", () => location = "${names[i + 1]}.html");
onload = () => { ${scripts[i]} };
</script></body></html>
PAGE
  done
}

decisions() { grep -cE "quorlen\.debug: (\*\*\* ALLOWED|\*\*\*\* BLOCKED)" "$log" || true; }
more_decisions() { [ "$(decisions)" -gt "$1" ]; }
# The program has seen the page's load end (which clears the clicks) in $1.
loaded() {
  grep -qF "quorlen.debug: download Complete (reset click) to $1" "$log" &&
    grep -qF "quorlen.debug: -doc complete (reset click) to $1" "$log"
}
# Every window cancelled so far has closed and, on sway, the page under test is alone on
# its workspace: nothing of a cancelled window stays on screen.
cancelled_closed() {
  [ "$(grep -c "quorlen.browsers: a cancelled window has closed" "$log")" -ge \
    "$(grep -c "quorlen.debug: \*\*\*\* BLOCKED" "$log")" ] &&
    { [ "$desktop" = x11 ] || [ "$(windows_on "$1" | wc -l)" = 1 ]; }
}

run_cases() {
  local at=$base/$browser entry name action expected line previous=wait
  for entry in "${cases[@]}"; do
    name=${entry%%|*}
    action=$(field 3 "$entry")
    expected=$(field $column "$entry")
    expected=${expected// or /|}
    before=$(decisions)
    echo go >"$site/$browser/open-$previous"
    previous=$name
    wait_until 20 loaded "$at/$name.html" || fail "$browser: the program did not see $name.html load"
    if [ -n "$action" ]; then
      wait_until 10 focused_page "$name" || fail "$browser: $name.html does not have the focus"
      $action
    fi
    wait_until 10 more_decisions "$before" || fail "$browser: no window was decided on $name.html"
    line=$(grep -E "quorlen\.debug: (\*\*\* ALLOWED|\*\*\*\* BLOCKED)" "$log" | sed -n "$((before + 1))p")
    [[ "$line" =~ $expected ]] || fail "$browser: $name.html: \"$line\", not $expected"
    if [ "$expected" = BLOCKED ]; then
      [[ "$line" == *"'$at/$name.html"* ]] || fail "$browser: $name.html: \"$line\" names another page"
      wait_until 10 cancelled_closed "$browser" || fail "$browser: the cancelled $name window did not close"
    else
      wait_until 10 requested "/$browser/pop-$name.html" || fail "$browser: the $name popup never asked"
      wait_until 10 popup_shown "$browser" "$name" || fail "$browser: the $name popup did not show"
    fi
    echo "$browser: $name: $line"
  done
  # Off the last case's page, which the next browser's would be taken for.
  echo go >"$site/$browser/open-$previous"
}

for browser in "${browsers[@]}"; do
  write_pages "$browser"
  show_browser "$browser"
  profile=browser
  [ "$browser" = firefox ] && profile=firefox
  start_browser "$browser" "$base/$browser/wait.html" "$work/$browser.txt" public
  printf -v "$browser" %s "$browser_pid"
  # Chromium names the waiting page as it is joined, Firefox as its navigation begins or,
  # joined while that was under way, once its document is complete.
  wait_until 60 grep -qF "quorlen.browsers: joined the browser of $XDG_CONFIG_HOME/quorlen/$profile" \
    "$log" || fail "$browser: the program did not join the browser"
  wait_until 60 grep -qE \
    "quorlen.debug: (# url |nav begin .* to |-doc complete \(reset click\) to )$base/$browser/wait.html" \
    "$log" || fail "$browser: the program does not follow the page"
  run_cases
done

kill -TERM "$pid"
wait_until 10 ended "$pid" || fail "no end on SIGTERM"
for browser in "${browsers[@]}"; do
  for popup in load late; do
    requested "/$browser/pop-$popup.html" && fail "$browser: the $popup popup reached its server"
  done
done
[ "$(blocked_total)" -eq $((5 + 2 * ${#browsers[@]})) ] ||
  fail "nTotBlocked is $(blocked_total), not $((5 + 2 * ${#browsers[@]}))"
echo "e2e popup blocking on $desktop in ${browsers[*]}: ok"
