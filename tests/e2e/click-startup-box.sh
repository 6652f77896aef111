#!/usr/bin/env bash
# Unticks "Start Quorlen when Windows Starts" in the settings window, whose fixed layout puts
# the tab and box at fixed places, until the autostart entry has gone: a click that comes
# before the window takes it is lost.
#   click-startup-box.sh <window id>
set -euo pipefail
source "$(dirname "$(realpath "$0")")/waits.sh"
window=$1 entry=$HOME/.config/autostart/Quorlen.desktop
for _ in 1 2 3; do
  xdotool mousemove --window "$window" 159 34 click 1   # the " Startup" page
  xdotool mousemove --window "$window" 31 112 click 1   # its first check box
  wait_until 10 not test -e "$entry" && exit 0
done
echo "the autostart entry stayed" >&2
exit 1
