# Sourced inside the sandbox: a virtual X desktop (start_desktop sets DISPLAY) with a window
# manager and a system tray, torn down when the calling script exits.
source "$(dirname "${BASH_SOURCE[0]}")/waits.sh"

start_desktop() {
  local started=0
  desktop_log=$(mktemp)
  start_desktop_parts || started=$?
  rm -f "$desktop_log"
  return "$started"
}

start_desktop_parts() {
  trap 'kill $desktop_pids 2>/dev/null || true' EXIT
  # Now and then openbox never manages a display, however often it starts; a fresh server does.
  start_x && start_window_manager || { stop_x && start_x && start_window_manager; } || {
    echo "no window manager on $DISPLAY:" >&2
    tail -5 "$desktop_log" >&2
    return 1
  }
  if [ -n "${NO_TRAY:-}" ] || ! command -v trayer >/dev/null; then return 0; fi
  start_until 'xdotool search --onlyvisible --class "^trayer$" >/dev/null 2>&1' \
    trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 ||
    { echo "no tray" >&2; return 1; }
}

start_x() {
  # Xvfb picks a free display itself; in a sandbox, with its own socket folder, that is :0.
  local display_file
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >>"$desktop_log" 2>&1 &
  desktop_pids=$!
  wait_until 30 test -s "$display_file" || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(tr -d '[:space:]' <"$display_file")"
  rm -f "$display_file"
  wait_until 30 eval 'xdpyinfo >/dev/null 2>&1' || { echo "no X server on $DISPLAY" >&2; return 1; }
}

stop_x() {
  echo "openbox did not manage $DISPLAY: a fresh X server" >&2
  kill $desktop_pids 2>/dev/null || true
  wait $desktop_pids 2>/dev/null || true
}

# The tray comes once the window manager runs: a panel mapped before it is never managed.
start_window_manager() {
  start_until 'timeout 5 xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' \
    openbox --sm-disable
}

# Starts a part of the desktop until the condition holds, three times at most: on a busy
# machine openbox may hang holding the server, trayer never show its panel; a later start does not.
start_until() {
  local condition=$1 started
  shift
  for _ in 1 2 3; do
    "$@" >>"$desktop_log" 2>&1 &
    started=$!
    wait_until 20 eval "$condition" && { desktop_pids="$desktop_pids $started"; return 0; }
    kill "$started" 2>/dev/null || true
    wait "$started" 2>/dev/null || true
  done
  return 1
}

wait_for_window() { wait_until "${2:-30}" window_shown "$1"; }

end_program() {
  local pid=$1
  kill -TERM "$pid"
  wait_until 30 not kill -0 "$pid" 2>/dev/null || { echo "the program did not end on SIGTERM" >&2; return 1; }
  wait "$pid" || true
}

# The icon is the program's small window embedded in the tray's panel.
click_tray_icon() {
  local button=$1 icon
  icon=$(timeout 5 xwininfo -root -tree | grep -E '"Quorlen": \("quorlen"' | grep -v ' 1x1+' |
    awk '{print $1}' | head -1)
  [ -n "$icon" ] || { echo "no tray icon" >&2; return 1; }
  # The server moves the pointer before it presses, so the icon sees it enter first.
  xdotool mousemove --window "$icon" 11 11 mousedown "$button" mouseup "$button"
}

# Prints the id of the settings window. A click on the icon before the program has made it is
# lost: the click is tried again.
show_settings() {
  local attempt
  for attempt in 1 2 3; do
    click_tray_icon 1 >&2 || return 1
    wait_for_window "^Quorlen \(on " 10 && return 0
  done
  echo "the tray icon did not show the settings window" >&2
  return 1
}
