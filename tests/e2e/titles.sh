#!/usr/bin/env bash
# Window-title blocking under X11 with a tray, or headless sway as an ordinary user: a
# window whose title holds a shipped fragment is closed once active, one without stays, and
# the titles editor lists the open windows but not the program's own.
#   titles.sh <staged program folder> <work folder> <x11|sway>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/windows_lib.sh"
source "$here/sway.sh"
if [ "${1:-}" != --as-user ]; then
  needs_atspi
  [ "$3" = sway ] && needs zenity && sandboxed_as_user "$1" "$2" "$here/where.py" -- sway
  needs dbus-run-session
  prepare_work "$1" "$2" "$here/where.py"
  exec "$here/sandbox.sh" "$work" dbus-run-session -- "$0" --as-user "$work" x11
fi
work=$2 out=$2 program=$2/program probe=$2/where.py desktop=$3 log=$2/stderr.txt
plain="Zqx plain window"

if [ "$desktop" = sway ]; then
  start_sway
  export GTK_A11Y=atspi
  watch_windows "$work/window-events.txt"
  # A window is known by its title, and its moments by sway's window events.
  open_window() { zenity --info --title="$1" --text="A window" >/dev/null 2>&1 & echo "$1"; }
  closed() { window_event_ms "$work/window-events.txt" close "$1" >/dev/null; }
  closes() { wait_until 10 closed "$1"; }
  stays() { wait_until 10 focused_is "$1" && holds_for 2 has_window "$1"; }
else
  source "$here/desktop.sh"
  start_desktop
  # Prints the id of a new xterm titled $1, minimised so that only the test makes it active; or
  # "gone" when the program closed it in the moment the window manager made it active.
  start_xterm() {
    xterm -iconic -T "$1" -e sleep 300 >/dev/null 2>&1 &
    local xterm=$!
    seen_or_gone() { first_window --name "^$1\$" || { ! kill -0 "$xterm" 2>/dev/null && echo gone; }; }
    wait_until 30 seen_or_gone "$1" || { echo "no window \"$1\"" >&2; return 1; }
  }
  exists() { timeout 5 xwininfo -id "$1" >/dev/null 2>&1; }
  # On the screen and active. A window the window manager is still managing may be active
  # before it is minimised as it asked: active, but nowhere to be seen.
  in_front() {
    [ "$(timeout 5 xdotool getactivewindow 2>/dev/null)" = "$1" ] &&
      timeout 5 xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"
  }
  # Makes the window the active one; a window closed meanwhile was active long enough.
  activated() { ! exists "$1" || in_front "$1" || { timeout 5 xdotool windowactivate "$1" 2>/dev/null; false; }; }
  activate() { wait_until 30 activated "$1"; }
  open_window() {
    local id
    id=$(start_xterm "$1") || return 1
    activate "$id" || return 1
    echo "$id"
  }
  closes() { wait_until 30 not exists "$1"; }
  stays() { holds_for 2 exists "$1"; }
  # What fail tells of the focus: the active window.
  focused_title() {
    local active
    active=$(timeout 5 xdotool getactivewindow 2>/dev/null || true)
    echo "${active:-none} $(timeout 5 xdotool getwindowname "$active" 2>/dev/null || true)"
  }
fi

start_accessibility
start_quorlen "$log" bBlockAdServers=False bBlockIEPopups=True nTotBlocked=5
start_probe
if [ "$desktop" = sway ]; then
  # The delayed start-up step is over once it has told that there is no tray.
  wait_until 20 grep -q "shows no system tray" "$log" || fail "start-up did not end"
  grep -q "see or close the windows" "$log" && fail "claims it sees no windows"
else
  # A later start: the settings window shows, then hides to the tray.
  wait_for_window "^Quorlen \(on " >/dev/null || fail "no settings window"
  wait_until 30 window_gone "^Quorlen \(on " || fail "the settings window was not hidden"
fi
fragment=$(ini_value D0 "$program/qltitles.ini")
title="$fragment today - Chromium"
lists() { grep -qxF "list item: $1" <<<"$(every_control)"; }

# 1. Closed once active, within a tick of the watcher (timed by the unit tests).
id=$(open_window "$title") || fail "\"$title\" did not become the active window"
closes "$id" || fail "\"$title\" was not closed"

# 2. One without a listed fragment stays, and the titles editor lists it.
other=$(open_window "$plain") || fail "\"$plain\" did not become the active window"
stays "$other" || fail "\"$plain\" was closed"
press "push button" "Block Popups by Window Title" || fail "no editor button"
wait_until 10 lists "$plain" || fail "the editor does not list \"$plain\""
every_control | grep -q "^list item: Quorlen" && fail "the editor lists Quorlen itself"

kill -TERM "$pid"
wait_until 30 ended "$pid" || fail "no end on SIGTERM"
[ "$(blocked_total)" -eq 6 ] || fail "nTotBlocked is $(blocked_total), not 6"
echo "e2e title blocking on $desktop: ok"
