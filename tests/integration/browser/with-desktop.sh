#!/usr/bin/env bash
# Runs a test program on a virtual desktop with a window manager, as a headful browser
# needs. Skips (77) where Chromium or Xvfb is missing.
#   with-desktop.sh <program> [args...]
set -euo pipefail
here=$(dirname "$(realpath "$0")")
command -v chromium >/dev/null && command -v Xvfb >/dev/null || { echo "needs chromium and Xvfb"; exit 77; }
NO_TRAY=1
source "$here/../../e2e/desktop.sh"
start_desktop
"$@"
