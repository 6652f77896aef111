#!/usr/bin/env bash
# Runs a test program as a client of a headless compositor with a private session and
# accessibility bus; as nobody when started as root, which compositors refuse.
#   under_wayland.sh sway|kwin <program> [args...]
# QUORLEN_WINDOW_LIST tells the window list to expect: "wlr" under sway, "plasma" under
# KWin, which offers it only to a program whose desktop entry asks, written here as ours is.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
compositor=$1
shift
case $compositor in sway) tools=(sway) ;; kwin) tools=(kwin_wayland kbuildsycoca5) ;; esac
for tool in dbus-run-session setpriv zenity "${tools[@]}"; do
  command -v "$tool" >/dev/null || { echo "needs $tool"; exit 77; }
done
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
    # A user in a container cannot take on the file capability of kwin_wayland; a copy has none.
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
