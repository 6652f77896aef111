#!/usr/bin/env bash
# Every entry of the settings window's menu bar and of the tray menu, chosen with the
# pointer in a sandbox under a virtual desktop with a tray, the vendor site served on
# loopback, and recording stand-ins for the desktop's browser and text editor. Each entry
# must show its window or box, or open the exact address or file; the offer of a newer
# version, answered Yes, opens the download page and ends the program.
#   windows_menus.sh <staged program folder> <work folder> <site folder> <vendor URL> <maker URL>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/work.sh"
command -v dbus-run-session >/dev/null || { echo "needs dbus-run-session"; exit 77; }
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || { echo "needs python3-pyatspi"; exit 77; }
prepare_work "$1" "$2"
cp -a "$3" "$work/site"
exec "$here/sandbox.sh" "$work" dbus-run-session -- bash -c '
  set -euo pipefail
  here=$1 out=$2 vendor=$3 maker=$4
  program=$out/program probe=$here/where.py
  source "$here/desktop.sh"
  source "$here/windows_lib.sh"
  source "$here/site.sh"
  host=$(echo "$vendor" | sed -E "s#^[a-z]+://([^/:]+).*#\1#")

  start_desktop
  start_accessibility
  set_up_stand_ins "$out"
  printf "127.0.0.1 localhost\n127.0.0.1 %s\n" "$host" > /etc/hosts
  mkdir -p /var/lib/quorlen "$out/tmp"; touch /var/lib/quorlen/first-start
  serve_site "$out/site" "$vendor" 127.0.0.1 "$out"
  trap "kill \$site_pid 2>/dev/null || true; kill \$desktop_pids 2>/dev/null || true" EXIT

  printf "[Settings]\r\nbBlockAdServers=False\r\nbBlockIEPopups=True\r\n" > "$program/quorlen.ini"
  TMPDIR=$out/tmp "$program/quorlen" 2>"$out/stderr.txt" &
  pid=$!
  start_probe
  sleep 3.5   # the delayed start-up step hides the window to the tray

  # The tray: a left click shows the settings window, the menu does the rest.
  click_tray_icon 1
  window_of "^Quorlen \(on " >/dev/null
  shot settings-from-tray
  close_window "^Quorlen \(on "
  # Entries with an access key are chosen by it; the others counted from the end, where
  # the keyboard starts going up. The dashed lines are entries too.
  click_tray_icon 3
  sleep 1
  shot tray-menu
  xdotool key d
  window_of "^Quorlen \(on " >/dev/null
  tray_keys f
  window_of "^Kestro, Inc. Software -- Feedback$" >/dev/null
  click "push button" "Close"
  tray_keys s
  window_of "^Ads 0 : 0$" >/dev/null
  shot statistics-from-tray
  close_window "^Ads "
  tray_keys b
  window_of "^Block or Allow all content from ad server domains\.$" >/dev/null
  shot ad-server-editor-from-tray
  click "push button" "Cancel"
  tray_keys Up Up Up Up Return      # Block Popup Ads - ON: now off
  click_tray_icon 3
  sleep 1
  shot tray-menu-popups-allowed
  xdotool key Up Up Up Up Return    # and on again
  tray_keys c                       # CLOSE THIS MENU
  kill -0 $pid

  # The menu bar, menu by menu.
  click_tray_icon 1
  window_of "^Quorlen \(on " >/dev/null
  menu File "Open blocked Hosts List"
  expect_opened "editor $program/quorlenhosts.ini"
  rm -f "$program/quorlen.ini"
  menu File "Save Program Settings"
  grep -q "bBlockIEPopups=True" "$program/quorlen.ini" || { echo "Save wrote no settings"; exit 1; }

  menu Options "Download Latest Ad Blocking Data"
  for _ in $(seq 1 50); do grep -q "GET /zshared/updatedate.txt" "$out/site-log.txt" && break; sleep 0.1; done
  grep -q "GET /zshared/updatedate.txt" "$out/site-log.txt" || { echo "no download asked"; exit 1; }
  sleep 1
  if shows "push button" "OK"; then click "push button" "OK"; fi
  menu Options "Check for newer version of Quorlen"
  answer_box "You have the latest version (1.0.0).  It has these features" OK
  menu Options "Test Connection to Quorlen"
  answer_box "The test was a success. Quorlen was able to connect to the internet (no proxy server used)." OK
  menu Options "Reset Number of Ads Blocked Statistics"
  answer_box "The total number of ads blocked has been reset to zero." OK

  menu "Uninstall Help!" "Please Tell us why first.  Thank you..."
  feedback=$(window_of "^Kestro, Inc. Software -- Feedback$")
  click "push button" "Send Comment"
  answer_box "Please enter a comment or question, then click Send Comment.  Thank you." OK
  click "text" "Comment"
  xdotool type --delay 20 "Works/fine? yes"
  xdotool key Return
  xdotool type --delay 20 "line two"
  click "text" "Email"
  xdotool type --delay 20 "jo.ann@example.org"
  shot feedback-typed
  click "push button" "Send Comment"
  expect_opened "browser ${maker}zshared/feedback.asp?prod=Quorlen&email=jo.ann@example.org&body=V1.0.0DAWorks%2Ffine? yesDAline two"
  click "push button" "Close"
  menu "Uninstall Help!" "Uninstall Instructions..."
  answer_box "To Un-Install Quorlen: " No
  [ -f "$HOME/.config/autostart/Quorlen.desktop" ] || { echo "No removed the autostart entry"; exit 1; }
  kill -0 $pid || { echo "No ended the program"; exit 1; }

  menu Help "Send Feedback or Ask Question..."
  window_of "^Kestro, Inc. Software -- Feedback$" >/dev/null
  click "push button" "Close"
  menu Help "Online Tutorial"
  expect_opened "browser ${vendor}helptut.asp"
  menu Help "Help Online..."
  expect_opened "browser ${vendor}help.asp"
  menu Help "Readme.txt"
  expect_opened "editor $program/readme.txt"
  menu Help "About"
  window_of "^About Quorlen$" >/dev/null
  shot about
  click "label" "$vendor"
  expect_opened "browser $vendor"
  click "label" "$maker"
  expect_opened "browser $maker"
  click "push button" "OK"

  # A newer version on the site, and Yes to the offer.
  printf "Version:9.9.9 Everything is new." > "$out/site/zshared/version.txt"
  menu Options "Check for newer version of Quorlen"
  answer_box "The newer version (9.9.9) of Quorlen is available. You have version (1.0.0)" Yes
  expect_opened "browser ${vendor}download.asp"
  for _ in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null && { echo "the program still runs after Yes"; exit 1; }
  wait $pid || true
  echo "every menu entry did its part; what was opened:"
  cat "$out/opened.txt"
' menus "$here" "$work" "$4" "$5"
