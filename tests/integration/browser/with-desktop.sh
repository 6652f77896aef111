#!/usr/bin/env bash
# Runs a test program on a virtual desktop, as a headful browser needs; 77 without one.
#   with-desktop.sh <program> [args...]
set -euo pipefail
here=$(dirname "$(realpath "$0")")
for needed in chromium firefox-esr Xvfb; do
  command -v "$needed" >/dev/null || { echo "needs chromium, firefox-esr and Xvfb"; exit 77; }
done
NO_TRAY=1
source "$here/../../e2e/desktop.sh"
start_desktop
"$@"
