#!/usr/bin/env bash
# The program's windows clicked through with the pointer, one way into each kind of window,
# blocking ad servers with one ad blocked, the vendor site served and stand-ins recording
# for the desktop's browser and editor. What each control does the views' own tests tell;
# here the real desktop does its part: pointer, keyboard, window manager, default
# applications, files, the web server's port and the site over HTTPS.
#   windows.sh <staged program folder> <work folder> <data folder> <site folder>
#              <vendor URL> <maker URL>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/work.sh"
needs dbus-run-session
needs_atspi
prepare_work "$1" "$2" "$4"
exec "$here/sandbox.sh" "$work" dbus-run-session -- bash -c '
  set -euo pipefail
  here=$1 out=$2 data=$3 vendor=$4 maker=$5
  program=$out/program probe=$here/where.py
  source "$here/desktop.sh"
  source "$here/windows_lib.sh"
  source "$here/site.sh"
  autostart=$HOME/.config/autostart/Quorlen.desktop
  editor="^Block or Allow all content from ad server domains\.$"
  feedback="^Kestro, Inc. Software -- Feedback$"
  has_entry() { grep -qxF "Exec=\"$program/quorlen\"" "$autostart" 2>/dev/null; }
  ended() { ! kill -0 "$pid" 2>/dev/null; }

  start_desktop
  serve_site "$out/site" "$vendor" "$out" || fail "the site does not answer"
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
  click "check box" "Sounds"
  click "push button" "Browse..."
  dialog=$(window_of "^Choose Sound File$")
  xdotool windowactivate --sync "$dialog" key Escape 2>/dev/null || xdotool key Escape
  wait_until 30 window_gone "^Choose Sound File$" || fail "the file dialog stayed"
  click "check box" "Other"
  click "push button" "Connect"
  answer_box "The test was a success. Quorlen was able to connect to the internet (no proxy server used)." OK
  click "check box" "Other"
  click "push button" "New?"
  answer_box "You have the latest version (1.0.0).  It has these features" OK

  choose_in_tray_menu s
  window_of "^Ads [0-9]+ : [0-9]+$" >/dev/null
  close_window "^Ads "

  menu File "Open blocked Hosts List"
  expect_opened "editor $program/quorlenhosts.ini"
  menu Options "Reset Number of Ads Blocked Statistics"
  answer_box "The total number of ads blocked has been reset to zero." OK

  click "check box" "Allow Ads"
  click "label" "Un-Block '"'"'$first'"'"'"
  window_of "$editor" >/dev/null
  click "push button" "Cancel"
  wait_until 30 window_gone "$editor" || fail "Cancel left the ad-server editor open"

  click "check box" "Logging"
  click "push button" "Logging"
  window_of "^Quorlen - Recent Ads Blocked$" >/dev/null
  listed() { grep "^list item|" <<<"$(shown)" | grep -F "'"'"'$first'"'"'" | head -1 | cut -d"|" -f2 | grep .; }
  record=$(wait_until 30 listed) || fail "the blocked ad is not listed"
  click "push button" "Copy"
  copy=$XDG_RUNTIME_DIR/quorlen/tempQL.txt
  expect_opened "editor $copy"
  [ "$(cat "$copy")" = "$(printf "%s\r\n\r" "$record")" ] ||
    fail "Copy wrote: $(od -c "$copy" | head -3)"
  double_click "list item" "$record"
  window_of "$editor" >/dev/null
  wait_until 30 window_gone "^Quorlen - Recent Ads Blocked$" || fail "the recently blocked window stayed open"
  click "push button" "Cancel"

  click "image" "Quorlen is blocking ads"
  window_of "$feedback" >/dev/null
  click "text" "Comment"
  xdotool type --delay 20 "Works/fine? yes"
  xdotool key Return
  xdotool type --delay 20 "line two"
  click "text" "Email"
  xdotool type --delay 20 "jo.ann@example.org"
  click "push button" "Send Comment"
  expect_opened "browser ${maker}zshared/feedback.asp?prod=Quorlen&email=jo.ann@example.org&body=V1.0.0DAWorks%2Ffine? yesDAline two"
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

  # Yes to a newer version on the site: the download page opens, the program ends.
  printf "Version:9.9.9 Everything is new." > "$out/site/zshared/version.txt"
  menu Options "Check for newer version of Quorlen"
  answer_box "The newer version (9.9.9) of Quorlen is available. You have version (1.0.0)" Yes
  expect_opened "browser ${vendor}download.asp"
  wait_until 30 ended || fail "the program still runs after Yes"
  wait "$pid" || true
  echo "every kind of window did its part; what was opened:"
  cat "$out/opened.txt"
' windows "$here" "$work" "$3" "$5" "$6"
