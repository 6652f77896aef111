#!/usr/bin/env bash
# Runs a test program on Xvfb with openbox and a private session and accessibility bus.
#   under_desktop.sh <program> [args...]
set -euo pipefail
here=$(dirname "$(realpath "$0")")
for tool in Xvfb openbox dbus-run-session xdotool; do
  command -v "$tool" >/dev/null || { echo "needs $tool"; exit 77; }
done
exec dbus-run-session -- bash -c '
  source "$1/../e2e/desktop.sh"
  shift
  NO_TRAY=1 start_desktop
  # Toolkits talk to the accessibility bus only when it says assistive technology runs.
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 GTK_A11Y=atspi
  "$@"
' desktop "$here" "$@"
