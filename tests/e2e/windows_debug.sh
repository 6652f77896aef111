#!/usr/bin/env bash
# The debug area and the way out, clicked with the pointer in a sandbox under a virtual
# desktop with a tray, blocking ad servers with one ad blocked: five clicks on the hint
# open the debug area, whose buttons then work; a minimised settings window comes back
# from the tray; and uninstall answered Yes leaves no listed server in the hosts file, no
# autostart entry, blocking saved off and the program ended.
#   windows_debug.sh <staged program folder> <work folder> <data folder>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/work.sh"
source "$here/windows_run.sh"
run_windows_test debug "$1" "$2" "$3" '
  hint="* Hold down the ALT, SHIFT, or CTRL (control) key while clicking to temporarily allow popup windows to open."

  # The top of a window on the screen and its height, as $Y and $HEIGHT (xdotool counts the
  # frame twice under this window manager).
  geometry() {
    Y=$(xwininfo -id "$1" | awk "/Absolute upper-left Y/ {print \$4}")
    HEIGHT=$(xwininfo -id "$1" | awk "/Height:/ {print \$2}")
  }

  # What the window asks of the window manager: $functions of its Motif hints (0x10 is
  # maximising) and its smallest and largest sizes as $min and $max.
  hints() {
    local all
    all=$(xprop -id "$1" _MOTIF_WM_HINTS WM_NORMAL_HINTS)
    functions=$(sed -nE "s/^_MOTIF_WM_HINTS.* = 0x[0-9a-f]+, (0x[0-9a-f]+),.*/\1/p" <<<"$all")
    min=$(sed -nE "s/.*minimum size: (.*)/\1/p" <<<"$all")
    max=$(sed -nE "s/.*maximum size: (.*)/\1/p" <<<"$all")
  }

  # Of fixed size, without a maximise button, and the debug area out of reach, until the
  # hint has been clicked five times.
  hints "$settings"
  [ $(( functions & 0x10 )) -eq 0 ] || { echo "the fixed window offers to maximise: $functions"; exit 1; }
  [ -n "$min" ] && [ "$min" = "$max" ] || { echo "the fixed window may be $min to $max"; exit 1; }
  # Hidden, the debug area is out of the accessibility tree as well as out of sight.
  shot settings-closed
  where "push button" "Debug" >/dev/null 2>&1 && { echo "the debug area is reachable before it is opened"; exit 1; }
  xdotool windowsize "$settings" 700 760; sleep 0.5
  geometry "$settings"
  [ "$HEIGHT" -lt 700 ] || { echo "the closed window could be resized"; exit 1; }
  for _ in 1 2 3 4 5; do click "label" "$hint"; done
  xdotool windowsize "$settings" 700 740; sleep 1
  geometry "$settings"
  [ "$HEIGHT" -ge 700 ] || { echo "the opened window did not grow: $HEIGHT high"; exit 1; }
  hints "$settings"
  [ $(( functions & 0x10 )) -ne 0 ] || { echo "the opened window cannot be maximised"; exit 1; }
  shot debug-area
  click "push button" "Debug"
  click "check box" "Extra Debug"
  click "push button" "WSVR Off"
  sleep 0.5
  curl -s --max-time 2 -o /dev/null "http://$first/after-off.gif" && { echo "WSVR Off left it answering"; exit 1; }
  click "push button" "WSVR ON"
  for _ in $(seq 1 20); do curl -s --http0.9 --max-time 2 -o /dev/null "http://$first/after-on.gif" && break; sleep 0.1; done
  curl -s --http0.9 --max-time 2 -o /dev/null "http://$first/after-on.gif" || { echo "WSVR ON did not answer"; exit 1; }
  click "push button" "TestDomains"
  window_of "^Ad Blocking Servers Update$" >/dev/null
  shot domain-tester
  close_window "^Ad Blocking Servers Update$"
  click "push button" "QLH"
  expect_opened "editor $program/quorlenhosts.ini"
  click "push button" "HF"
  expect_opened "editor /etc/hosts"
  click "push button" "HB"
  expect_opened "editor /etc/hostsqlb"
  click "push button" "HRem"
  shot debug-log

  # Minimised, it comes back from the tray.
  xdotool windowminimize --sync "$settings"
  xdotool search --onlyvisible --name "^Quorlen \(on " >/dev/null && { echo "not minimised"; exit 1; }
  click_tray_icon 1
  window_of "^Quorlen \(on " >/dev/null
  xprop -id "$settings" WM_STATE | grep -q "Normal" || { echo "still minimised"; exit 1; }

  # Uninstall, answered Yes.
  menu "Uninstall Help!" "Uninstall Instructions..."
  answer_box "Do you want to start the un-install process now?" Yes
  answer_box "To remove Quorlen from this Linux system, delete its folder:" OK
  answer_box "Now go to your control panel - add/remove programs to run the Quorlen uninstall." OK
  for _ in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null && { echo "uninstall left the program running"; exit 1; }
  wait $pid || true
  grep -q "^127\.0\.0\.1 $first" /etc/hosts && { echo "listed servers are still blocked"; exit 1; }
  [ -f "$HOME/.config/autostart/Quorlen.desktop" ] && { echo "the autostart entry stayed"; exit 1; }
  tr -d "\r" < "$program/quorlen.ini" | grep -qx "bBlockAdServers=False" || { echo "blocking not saved off"; exit 1; }
  echo "recently blocked, the debug area and uninstall did their parts; what was opened:"
  cat "$out/opened.txt"
'
