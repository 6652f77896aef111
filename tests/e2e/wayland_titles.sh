#!/usr/bin/env bash
# Window-title blocking on Wayland, end to end: the staged program as a Wayland client of
# headless sway (no X11 at all), run by an ordinary user in a sandbox. A window whose
# title holds a shipped fragment is closed within a second of taking the focus, one
# without stays, and the titles editor lists the open windows as the compositor tells them.
#   wayland_titles.sh <staged program folder> <work folder>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/sway.sh"
if [ "${1:-}" = --as-user ]; then
  work=$2 program=$2/program
  # One question to the accessibility bus (where.py tells the questions).
  ask() { printf "%s\n" "$1" | /usr/bin/python3 "$work/where.py" "$pid"; }
  start_sway
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 GTK_A11Y=atspi
  log=$work/stderr.txt
  start_quorlen "$log" bBlockAdServers=False bBlockIEPopups=True nTotBlocked=5
  # The delayed start-up step is over once it has told what this desktop lacks (a tray).
  wait_until 20 grep -q "shows no system tray" "$log" || fail "start-up did not end"
  grep -q "see or close the windows" "$log" && fail "claims it sees no windows"
  fragment=$(ini_value D0 "$program/qltitles.ini")

  # 1. A window whose title holds the fragment is closed within a second of taking the focus.
  watch_windows "$work/window-events.txt"
  title="$fragment today - Chromium"
  zenity --info --title="$title" --text="A popup" 2>/dev/null &
  closed() { window_event_ms "$work/window-events.txt" close "$title" >/dev/null; }
  wait_until 10 closed || fail "\"$title\" was not closed"
  focused=$(window_event_ms "$work/window-events.txt" focus "$title") ||
    fail "\"$title\" never had the focus"
  elapsed=$(($(window_event_ms "$work/window-events.txt" close "$title") - focused))
  [ "$elapsed" -le 1000 ] || fail "\"$title\" closed only after $elapsed ms"
  echo "closed $elapsed ms after it took the focus"

  # 2. One without a listed fragment stays, and the titles editor lists it.
  plain="Zqx plain window"
  zenity --info --title="$plain" --text="Not a popup" 2>/dev/null &
  wait_until 10 focused_is "$plain" || fail "\"$plain\" never had the focus"
  # Four ticks of the watcher with it in front.
  holds_for 2 has_window "$plain" || fail "\"$plain\" was closed"
  [ "$(ask "press	push button	Block Popups by Window Title")" = ok ] || fail "no editor button"
  lists() { ask all | grep -qxF "list item: $1"; }
  wait_until 10 lists "$plain" ||
    fail "the editor does not list \"$plain\""
  ask all | grep -q "^list item: Quorlen" && fail "the editor lists Quorlen itself"

  kill -TERM "$pid"
  wait_until 10 ended "$pid" || fail "no end on SIGTERM"
  [ "$(blocked_total)" -eq 6 ] || fail "nTotBlocked is $(blocked_total), not 6"
  echo "e2e title blocking on Wayland: ok"
  exit 0
fi
needs zenity
needs_atspi
sandboxed_as_user "$1" "$2" "$here/where.py" --
