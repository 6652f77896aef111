#!/usr/bin/env bash
# Screenshots of the program's windows as a user sees them, kept as test artefacts: the
# statistics window, the self-closing message window, the tray menu and the settings
# window's Status page with counts. Each shot must show the window it is about.
#   screenshots.sh <staged program folder> <work folder>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/work.sh"
prepare_work "$1" "$2"
exec "$here/sandbox.sh" "$work" bash -c '
  set -euo pipefail
  source "$1/desktop.sh"
  program=$2/program; out=$2
  start_desktop
  mkdir -p /var/lib/quorlen; touch /var/lib/quorlen/first-start

  # Nothing blocked: the warning comes up in the message window 2.5 s after start.
  printf "[Settings]\r\nbBlockAdServers=False\r\nbBlockIEPopups=False\r\n" > "$program/quorlen.ini"
  "$program/quorlen" 2>>"$out/stderr.txt" &
  pid=$!
  wait_for_window "^Quorlen - No Ads Being Blocked$" 10 >/dev/null || { echo "no message window"; exit 1; }
  sleep 1.5
  import -window root "$out/message-window.png"
  end_program $pid

  # Blocking on, with some ads counted.
  printf "[Settings]\r\nnTotBlocked=1234\r\nDateUpdate=12/1/2026\r\nbBannerSound=False\r\n" > "$program/quorlen.ini"
  "$program/quorlen" 2>>"$out/stderr.txt" &
  pid=$!
  first=$(awk "NR==1" "$1/../../data/adservers-default.txt")
  for _ in $(seq 1 150); do grep -qxF "127.0.0.1 $first" /etc/hosts && break; sleep 0.1; done
  # Nine: the tenth blocked ad would switch the settings window to its "Allow Ads" page.
  for i in $(seq 1 9); do curl -s --http0.9 -o /dev/null "http://$first/ads/$i.gif" || true; done
  sleep 0.5

  click_tray_icon 3
  sleep 1
  import -window root "$out/tray-menu.png"
  xdotool key Down Down Down Return   # the third item: the statistics window
  wait_for_window "^Ads " 10 >/dev/null || { echo "no statistics window"; exit 1; }
  sleep 1
  import -window root "$out/statistics-window.png"
  caption=$(xdotool getwindowname "$(wait_for_window "^Ads " 2)")
  [ "$caption" = "Ads 9 : 1243" ] || { echo "statistics caption is \"$caption\""; exit 1; }

  click_tray_icon 1
  wait_for_window "^Quorlen \(on " 10 >/dev/null || { echo "no settings window"; exit 1; }
  sleep 1
  import -window root "$out/status-page.png"
  end_program $pid
  echo "screenshots in $out"
' shots "$here" "$work"
