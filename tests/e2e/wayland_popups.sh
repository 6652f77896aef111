#!/usr/bin/env bash
# Popup blocking on Wayland, end to end: the staged program and each browser named, started
# through quorlen-browser, all Wayland clients of headless sway (no X11 at all), run by an
# ordinary user in a sandbox, on pages the browsers take for a public site. Nothing outside
# the browser sees a press there: the program knows of the user's clicks and keys only from
# what the browser's pages tell it. A virtual pointer clicks and wtype holds Shift.
# For each browser: a window opened on load, one from a timer and one 3 s after a click are
# cancelled (never requested, counted); a click, a double click, a Shift-held click and a
# script link open theirs, each for its own rule, as the debug log tells.
#   wayland_popups.sh <staged program folder> <work folder> <page server> <virtual pointer>
#                     <browser>...   (chromium, firefox)
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/sway.sh"
if [ "${1:-}" = --as-user ]; then
  work=$2 out=$2 program=$2/program
  shift 2
  browsers=("$@")
  log=$work/stderr.txt
  start_sway
  chromium="" firefox="" server="" pointer=""
  trap 'kill $chromium $firefox $server $pointer $keyboard_pid $sway_pid 2>/dev/null || true' EXIT
  # The windows the test lets open go to a workspace of their own, and so does the
  # program's window (there is no tray): the page under test keeps the whole screen.
  swaymsg 'for_window [title="^popup "] move container to workspace popups' >/dev/null
  swaymsg 'for_window [title="^Quorlen "] move container to workspace quorlen' >/dev/null

  watch_windows "$work/window-events.txt"
  start_page_server || fail "the page server did not start"

  mkfifo "$work/pointer"
  "$work/virtual_pointer" 1024 768 "$work/pointer" 2>"$work/pointer.txt" &
  pointer=$!
  # Presses held and spaced as a person's, on the page's button, which the pointer enters
  # afresh (the windows have moved since the last click), timed by the pointer itself.
  click() { printf 'move 200 200\nmove 250 250\nwait 100\npress 1\nwait 100\nrelease 1\n' >"$work/pointer"; }
  double_click() { click; printf 'wait 80\npress 1\nwait 100\nrelease 1\n' >"$work/pointer"; }
  # Firefox can miss a key pressed just as its window takes the focus back from a popup:
  # Shift is held until the page tells of it, and pressed again if the page never did.
  shift_reports() { grep -c 'browsers: a page tells .*"keydown","key":"Shift"' "$log" || true; }
  more_shift_reports() { [ "$(shift_reports)" -gt "$1" ]; }
  shift_click() {
    local before held attempt
    before=$(shift_reports)
    for attempt in 1 2 3; do
      wtype -P Shift_L -s 2500 -p Shift_L &
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

  # The debug log, detail lines included, tells what the program decided and why.
  QT_LOGGING_RULES="quorlen.browsers.info=true;quorlen.debug.info=true" \
    QT_MESSAGE_PATTERN="%{time process} %{category}: %{message}" \
    start_quorlen "$log" bBlockAdServers=False bBlockIEPopups=True nTotBlocked=5
  wait_until 20 grep -q "shows no system tray" "$log" || fail "start-up did not end"

  # Each case: its page, what the page does, what the user does and what must follow.
  cases=(
    "load|window.open(\"pop-load.html\", \"load\", \"width=320,height=240\")||BLOCKED"
    "timer|setTimeout(() => window.open(\"pop-timer.html\", \"timer\", \"width=320,height=240\"), 300)||BLOCKED"
    "click|b.onclick = () => window.open(\"pop-click.html\", \"click\", \"width=320,height=240\")|click|ALLOWED: MouseClicked once"
    "dblclick|b.ondblclick = () => window.open(\"pop-dblclick.html\", \"dblclick\", \"width=320,height=240\")|double_click|ALLOWED: User Double Clicked"
    # The page's own script follows the link: no press, the link's script alone.
    "js|j.click()||ALLOWED: Java Open"
    # The page moves within itself after the click, which clears the click but not the
    # held Shift, whose flag then stays until the next press and 2 s more: the case
    # before the last.
    "shift|b.onclick = () => { location.hash = \"moved\"; setTimeout(() => window.open(\"pop-shift.html\", \"shift\", \"width=320,height=240\"), 400) }|shift_click|ALLOWED: Allow Hot Key Down"
    "late|b.onclick = () => setTimeout(() => window.open(\"pop-late.html\", \"late\", \"width=320,height=240\"), 3000)|click|BLOCKED"
  )
  # Every page goes on to the next once told to: /<browser>/go-<page> is there.
  write_pages() {
    local folder=$site/$1 names=(wait) scripts=("") entry i
    mkdir -p "$folder"
    for entry in "${cases[@]}"; do
      names+=("${entry%%|*}")
      scripts+=("$(cut -d'|' -f2 <<<"$entry")")
      printf "<html><head><title>popup %s</title></head><body><h1>popup %s</h1></body></html>\n" \
        "${entry%%|*}" "${entry%%|*}" >"$folder/pop-${entry%%|*}.html"
    done
    names+=(done)
    for i in $(seq 0 $((${#names[@]} - 2))); do
      cat >"$folder/${names[i]}.html" <<PAGE
<html><head><title>${names[i]}</title></head><body style="margin:0">
<button id=b style="position:absolute;left:0;top:0;width:500px;height:300px;font-size:40px">${names[i]}</button>
<a id=j style="position:absolute;top:320px" href="javascript:void(window.open('pop-js.html', 'js', 'width=320,height=240'))">script link</a>
<script>
let go = setInterval(() => fetch("go-${names[i]}").then(r => {
  if (r.ok && go) { clearInterval(go); go = 0; location = "${names[i + 1]}.html" }
}), 150);
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
  on_workspace() { windows_on "$1" | grep -q "^$2"; }
  # Every window cancelled so far has closed, and the page under test is alone on its
  # workspace: nothing of a cancelled window stays on screen.
  cancelled_closed() {
    [ "$(grep -c "quorlen.browsers: a cancelled window has closed" "$log")" -ge \
      "$(grep -c "quorlen.debug: \*\*\*\* BLOCKED" "$log")" ] && [ "$(windows_on "$1" | wc -l)" = 1 ]
  }
  focused_page() { [[ "$(focused_title)" == "$1"* ]]; }

  run_cases() {
    local browser=$1 at=$base/$1 entry name action expected before line
    for entry in "${cases[@]}"; do
      name=${entry%%|*}
      action=$(cut -d'|' -f3 <<<"$entry")
      expected=$(cut -d'|' -f4 <<<"$entry")
      before=$(decisions)
      echo go >"$site/$browser/go-$previous"
      previous=$name
      wait_until 20 loaded "$at/$name.html" || fail "$browser: the program did not see $name.html load"
      if [ -n "$action" ]; then
        wait_until 10 focused_page "$name" || fail "$browser: $name.html does not have the focus"
        $action
      fi
      wait_until 10 more_decisions "$before" || fail "$browser: no window was decided on $name.html"
      line=$(grep -E "quorlen\.debug: (\*\*\* ALLOWED|\*\*\*\* BLOCKED)" "$log" | sed -n "$((before + 1))p")
      [[ "$line" == *"$expected"* ]] || fail "$browser: $name.html: \"$line\", not $expected"
      if [ "$expected" = BLOCKED ]; then
        [[ "$line" == *"'$at/$name.html"* ]] || fail "$browser: $name.html: \"$line\" names another page"
        wait_until 10 cancelled_closed "$browser" ||
          fail "$browser: the cancelled $name window did not close: $(windows_on "$browser" | tr '\n' ,)"
      else
        wait_until 10 requested "/$browser/pop-$name.html" || fail "$browser: the $name popup never asked"
        wait_until 10 on_workspace popups "popup $name" || fail "$browser: the $name popup did not show"
      fi
      echo "$browser: $name: $expected"
    done
  }

  for browser in "${browsers[@]}"; do
    write_pages "$browser"
    previous=wait
    swaymsg "workspace $browser" >/dev/null
    start_browser "$browser" "$base/$browser/wait.html" "$work/$browser.txt" public
    printf -v "$browser" %s "$browser_pid"
    # The program follows the waiting page's window: it hears of every window it opens.
    # Chromium names the page as it is joined, Firefox as the page's navigation begins.
    wait_until 60 grep -qE "quorlen.debug: (# url |nav begin .* to )$base/$browser/wait.html" \
      "$log" ||
      fail "$browser: the program did not join the browser"
    run_cases "$browser"
  done

  kill -TERM "$pid"
  wait_until 10 ended "$pid" || fail "no end on SIGTERM"
  for browser in "${browsers[@]}"; do
    for popup in load timer late; do
      requested "/$browser/pop-$popup.html" && fail "$browser: the $popup popup reached its server"
    done
  done
  [ "$(blocked_total)" -eq $((5 + 3 * ${#browsers[@]})) ] ||
    fail "nTotBlocked is $(blocked_total), not $((5 + 3 * ${#browsers[@]}))"
  echo "e2e popup blocking on Wayland in ${browsers[*]}: ok"
  exit 0
fi
needs_browser "${@:5}"
sandboxed_as_user "$1" "$2" "$3" "$4" -- "${@:5}"
