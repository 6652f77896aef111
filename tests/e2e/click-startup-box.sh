#!/usr/bin/env bash
# Unticks "Start Quorlen when Windows Starts" in the settings window: the window has a
# fixed size and layout, so the page tab and the box are at fixed places in it.
#   click-startup-box.sh <window id>
set -euo pipefail
window=$1
xdotool mousemove --window "$window" 159 34 click 1   # the " Startup" page
sleep 0.3
xdotool mousemove --window "$window" 31 112 click 1   # its first check box
