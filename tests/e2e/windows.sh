#!/usr/bin/env bash
# The program's windows clicked through with the pointer, blocking ad servers with one ad
# blocked and stand-ins recording for the desktop's browser and editor. What each control
# does the views' own tests tell; here the real desktop does its part: pointer, window
# manager, tray menu, default applications, the autostart entry and the web server's port.
#   windows.sh <staged program folder> <work folder> <data folder> <vendor URL>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/work.sh"
needs dbus-run-session
needs_atspi
prepare_work "$1" "$2"
exec "$here/sandbox.sh" "$work" dbus-run-session -- bash -c '
  set -euo pipefail
  here=$1 out=$2 data=$3 vendor=$4
  program=$out/program probe=$here/where.py
  source "$here/desktop.sh"
  source "$here/windows_lib.sh"
  autostart=$HOME/.config/autostart/Quorlen.desktop
  editor="^Block or Allow all content from ad server domains\.$"
  feedback="^Kestro, Inc. Software -- Feedback$"
  has_entry() { grep -qxF "Exec=\"$program/quorlen\"" "$autostart" 2>/dev/null; }

  start_desktop
  start_accessibility
  set_up_stand_ins "$out"
  start_blocking "$data"
  settings=$(show_settings)

  click "check box" "Startup"
  click "check box" "Start Quorlen when Windows Starts"
  wait_until 30 not test -e "$autostart" || fail "unticking left the autostart entry"
  click "check box" "Start Quorlen when Windows Starts"
  wait_until 30 has_entry || fail "ticking made no autostart entry"
  click "check box" "Help / Feedback"
  click "push button" "Help Online"
  expect_opened "browser ${vendor}help.asp"
  # The tray menu, opened by a right click on the icon.
  choose_in_tray_menu s
  close_window "^Ads [0-9]+ : [0-9]+$"
  menu File "Open blocked Hosts List"
  expect_opened "editor $program/quorlenhosts.ini"

  # With the pointer into each other kind of window once: a box, the file dialog, a list
  # editor, the recently blocked list and the feedback window.
  menu Options "Reset Number of Ads Blocked Statistics"
  answer_box "The total number of ads blocked has been reset to zero." OK
  click "check box" "Sounds"
  click "push button" "Browse..."
  close_window "^Choose Sound File$"
  click "check box" "Allow Ads"
  click "label" "Un-Block '"'"'$first'"'"'"
  window_of "$editor" >/dev/null
  click "push button" "Cancel"
  wait_until 30 window_gone "$editor" || fail "Cancel left the editor open"
  click "check box" "Logging"
  click "push button" "Logging"
  listed() { grep "^list item|" <<<"$(shown)" | grep -qF "'"'"'$first'"'"'"; }
  wait_until 30 listed || fail "the blocked ad is not listed"
  close_window "^Quorlen - Recent Ads Blocked$"
  click "image" "Quorlen is blocking ads"
  window_of "$feedback" >/dev/null
  click "push button" "Close"
  wait_until 30 window_gone "$feedback" || fail "Close left the feedback window open"

  # The debug area: the window has a fixed size and no maximise button until the hint has
  # been clicked five times. The window manager reads $functions of the Motif hints (0x10:
  # maximise) and the smallest and largest sizes, $min and $max.
  hints() {
    local all
    all=$(xprop -id "$settings" _MOTIF_WM_HINTS WM_NORMAL_HINTS)
    functions=$(sed -nE "s/^_MOTIF_WM_HINTS.* = 0x[0-9a-f]+, (0x[0-9a-f]+),.*/\1/p" <<<"$all")
    min=$(sed -nE "s/.*minimum size: (.*)/\1/p" <<<"$all")
    max=$(sed -nE "s/.*maximum size: (.*)/\1/p" <<<"$all")
  }
  resizable() { hints; [ $((functions & 0x10)) -ne 0 ] && [ "$min" != "$max" ]; }
  height() { xwininfo -id "$settings" | awk "/Height:/ {print \$2}"; }
  hints
  # Hidden, the debug area shows nowhere, not even to the accessibility bus.
  [ "$(locate "push button" "Debug")" = - ] || fail "the debug area shows before it is opened"
  [ $((functions & 0x10)) -eq 0 ] || fail "the fixed window offers to maximise: $functions"
  [ -n "$min" ] && [ "$min" = "$max" ] || fail "the fixed window may be $min to $max"
  for _ in 1 2 3 4 5; do
    click "label" "* Hold down the ALT, SHIFT, or CTRL (control) key while clicking to temporarily allow popup windows to open."
  done
  wait_until 30 resizable || fail "the opened window cannot be resized or maximised: $functions, $min to $max"
  xdotool windowsize "$settings" 700 740
  wait_until 30 eval "[ \$(height) -ge 700 ]" || fail "the opened window did not grow: $(height) high"
  [ "$(locate "push button" "Debug")" != - ] || fail "the opened debug area does not show"
  click "push button" "WSVR Off"
  wait_until 30 not answers_placeholder || fail "WSVR Off left the web server answering"
  click "push button" "WSVR ON"
  wait_until 30 answers_placeholder || fail "WSVR ON did not answer"
  click "push button" "TestDomains"
  window_of "^Ad Blocking Servers Update$" >/dev/null
  close_window "^Ad Blocking Servers Update$"

  # Minimised by the window manager, it comes back from the tray.
  xdotool windowminimize --sync "$settings"
  wait_until 30 window_gone "^Quorlen \(on " || fail "not minimised"
  show_settings >/dev/null
  xprop -id "$settings" WM_STATE | grep -q "Normal" || fail "still minimised"

  end_program "$pid"
  echo "every kind of window did its part; what was opened:"
  cat "$out/opened.txt"
' windows "$here" "$work" "$3" "$4"
