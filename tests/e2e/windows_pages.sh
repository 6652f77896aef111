#!/usr/bin/env bash
# The first five pages of the settings window and every button on them, clicked with the
# pointer in a sandbox under a virtual desktop with a tray, blocking ad servers with one ad
# blocked, and recording stand-ins for the desktop's browser and text editor. Each must
# show its window or box, or open the exact address; the page tabs turn with the keyboard,
# and File > Exit saves what the boxes changed.
#   windows_pages.sh <staged program folder> <work folder> <data folder>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/work.sh"
source "$here/windows_run.sh"
run_windows_test pages "$1" "$2" "$3" '
  autostart=$HOME/.config/autostart/Quorlen.desktop
  editor="^Block or Allow all content from ad server domains\.$"
  whitelist="^Popup Ad site White List \(Effects Internet Explorer users ONLY\)$"

  # The tabs turn with Ctrl+PageDown and back with Ctrl+PageUp, from Status to Status.
  xdotool windowactivate --sync "$settings" 2>/dev/null || true
  for _ in 1 2 3 4 5 6 7 8; do xdotool key ctrl+Next; sleep 0.1; done
  xdotool key ctrl+Prior ctrl+Next
  where "label" "Blocked Servers:" >/dev/null

  click "check box" "Ad Blocking"
  shot page-ad-blocking
  click "push button" "Block Ads by Ad Server Name"
  window_of "$editor" >/dev/null
  click "push button" "Cancel"

  click "check box" "Startup"
  shot page-startup
  click "check box" "Start Quorlen when Windows Starts"
  for _ in $(seq 1 20); do [ -f "$autostart" ] || break; sleep 0.1; done
  [ -f "$autostart" ] && { echo "unticking left the autostart entry"; exit 1; }
  click "check box" "Start Quorlen when Windows Starts"
  for _ in $(seq 1 20); do [ -f "$autostart" ] && break; sleep 0.1; done
  grep -qxF "Exec=\"$program/quorlen\"" "$autostart" || { echo "ticking made no entry"; exit 1; }
  click "check box" "Automatically Download Ad Blocking Data from the Quorlen site."
  click "push button" "Download"

  click "check box" "Help / Feedback"
  shot page-help
  click "push button" "Help Online"
  expect_opened "browser https://www.quorlen.example/help.asp"
  click "push button" "Feedback"
  window_of "^Kestro, Inc. Software -- Feedback$" >/dev/null
  click "push button" "Close"
  click "push button" "Ad Blocking Help"
  answer_box "FOR ALL BROWSERS:  Selecting the" OK

  click "check box" "Sounds"
  shot page-sounds
  click "check box" "When Popup Ads Blocked, play sound:"
  click "push button" "Browse..."
  dialog=$(window_of "^Choose Sound File$")
  shot sound-file-dialog
  xdotool windowactivate --sync "$dialog" 2>/dev/null || true
  xdotool key Escape
  click "push button" "Test Sound"

  click "check box" "Other"
  shot page-other
  click "text" "Web Proxy Server Settings:"
  xdotool type --delay 20 "http://proxy.example:8080"
  click "push button" "Lookup"
  answer_box "No Microsoft Internet Explorer proxy settings could be read." OK
  click "text" "Web Proxy Server Settings:"
  xdotool key ctrl+a BackSpace
  # Each of these turns to the Status page, where its outcome is told.
  click "push button" "Connect"
  answer_box "The test of your internet connection without a proxy server failed." OK
  click "check box" "Other"
  click "push button" "New?"
  answer_box "You have the latest version (1.0.0)." OK
  click "check box" "Other"
  click "push button" "Reset"
  answer_box "The total number of ads blocked has been reset to zero." OK
  where "label" "Blocked Today:" >/dev/null

  menu File "Exit Quorlen AND stop blocking Ads"
  for _ in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null && { echo "File > Exit did not end the program"; exit 1; }
  wait $pid || true
  tr -d "\r" < "$program/quorlen.ini" | grep -qx "bAutoDownload=True" || { echo "chkAuto not saved"; exit 1; }
  tr -d "\r" < "$program/quorlen.ini" | grep -qx "bPopSound=False" || { echo "the popup sound not saved"; exit 1; }
  echo "every page did its part; what was opened:"
  cat "$out/opened.txt"
'
