#!/usr/bin/env bash
# Runs a test program as a Wayland client of a headless compositor of its own, with a
# private session bus and the accessibility bus on it; as nobody when started as root,
# since compositors refuse to run as root or to serve another user's socket.
#   under_wayland.sh sway|kwin <program> [args...]
# The program learns which window list the compositor must offer from
# QUORLEN_WINDOW_LIST: "wlr" under sway, "plasma" under KWin, which offers its list only
# to a program whose desktop entry asks for it, so the entry is written here as the
# package's is.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
compositor=$1
shift
for tool in dbus-run-session setpriv zenity; do
  command -v "$tool" >/dev/null || { echo "needs $tool"; exit 77; }
done
case $compositor in
  sway) command -v sway >/dev/null || { echo "needs sway"; exit 77; } ;;
  kwin) command -v kwin_wayland >/dev/null && command -v kbuildsycoca5 >/dev/null ||
    { echo "needs kwin_wayland"; exit 77; } ;;
esac
run=(dbus-run-session -- bash -c '
  set -euo pipefail
  source "$1/../e2e/sway.sh"
  compositor=$2
  shift 2
  if [ "$compositor" = sway ]; then
    start_sway
    export QUORLEN_WINDOW_LIST=wlr
  else
    XDG_RUNTIME_DIR=$(mktemp -d)
    export XDG_RUNTIME_DIR
    unset DISPLAY WAYLAND_DISPLAY
    mkdir -p "$HOME/.local/share/applications"
    printf "[Desktop Entry]\nType=Application\nName=Window tests\nExec=%s\nX-KDE-Wayland-Interfaces=org_kde_plasma_window_management\n" \
      "$(realpath "$1")" >"$HOME/.local/share/applications/quorlen-window-tests.desktop"
    kbuildsycoca5 >/dev/null 2>&1
    # kwin_wayland carries a file capability that a user in a container cannot take on
    # when it starts; a copy without it runs the same compositor.
    cp "$(command -v kwin_wayland)" "$XDG_RUNTIME_DIR/kwin_wayland"
    "$XDG_RUNTIME_DIR/kwin_wayland" --virtual --socket wayland-1 --no-lockscreen \
      --no-global-shortcuts --no-kactivities >"$XDG_RUNTIME_DIR/kwin.log" 2>&1 &
    kwin=$!
    trap "kill $kwin 2>/dev/null || true" EXIT
    wait_until 20 test -S "$XDG_RUNTIME_DIR/wayland-1" || { cat "$XDG_RUNTIME_DIR/kwin.log"; exit 1; }
    export WAYLAND_DISPLAY=wayland-1 QT_QPA_PLATFORM=wayland GDK_BACKEND=wayland
    export QUORLEN_WINDOW_LIST=plasma
  fi
  # Toolkits talk to the accessibility bus only when it says assistive technology runs.
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 GTK_A11Y=atspi
  "$@"
' wayland "$here" "$compositor" "$@")
if [ "$(id -u)" -eq 0 ]; then
  home=$(mktemp -d)
  trap 'rm -rf "$home"' EXIT
  chown 65534:65534 "$home"
  setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$home" "${run[@]}"
else
  "${run[@]}"
fi
