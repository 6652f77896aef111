#!/usr/bin/env bash
# Runs a test program as a Wayland client of a headless sway of its own, with a private
# session bus and the accessibility bus on it; as nobody when started as root, since sway
# refuses to run as root.
#   under_sway.sh <program> [args...]
set -euo pipefail
here=$(dirname "$(realpath "$0")")
for tool in sway dbus-run-session setpriv zenity; do
  command -v "$tool" >/dev/null || { echo "needs $tool"; exit 77; }
done
run=(dbus-run-session -- bash -c '
  set -euo pipefail
  source "$1/../e2e/sway.sh"
  shift
  start_sway
  # Toolkits talk to the accessibility bus only when it says assistive technology runs.
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 GTK_A11Y=atspi
  "$@"
' sway "$here" "$@")
if [ "$(id -u)" -eq 0 ]; then
  home=$(mktemp -d)
  trap 'rm -rf "$home"' EXIT
  chown 65534:65534 "$home"
  setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$home" "${run[@]}"
else
  "${run[@]}"
fi
