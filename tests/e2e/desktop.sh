# Sourced inside the sandbox: a virtual X desktop with a window manager and a system
# tray, torn down when the calling script exits.
#   start_desktop   sets DISPLAY
#   wait_for_window <name> [seconds]   prints the window id once mapped
start_desktop() {
  # Xvfb picks a free display itself, so test runs side by side never race for one.
  local display_file
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  desktop_pids=$!
  for _ in $(seq 1 100); do [ -s "$display_file" ] && break; sleep 0.1; done
  export DISPLAY=":$(tr -d '[:space:]' <"$display_file")"
  rm -f "$display_file"
  for _ in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  desktop_pids="$desktop_pids $!"
  if [ -z "${NO_TRAY:-}" ] && command -v trayer >/dev/null; then
    trayer --edge bottom --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
    desktop_pids="$desktop_pids $!"
  fi
  trap 'kill $desktop_pids 2>/dev/null || true' EXIT
  sleep 1
}

wait_for_window() {
  local name=$1 seconds=${2:-20} id
  for _ in $(seq 1 $((seconds * 10))); do
    id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  return 1
}

# Ends the program with SIGTERM and waits for it; fails when it does not end in time.
end_program() {
  local pid=$1
  kill -TERM "$pid"
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || { wait "$pid" || true; return 0; }; sleep 0.1; done
  echo "the program did not end on SIGTERM" >&2
  return 1
}

# Clicks the program's icon in the tray with the given mouse button.
click_tray_icon() {
  local button=$1 icon
  # The icon is the program's small window embedded in the tray's panel.
  icon=$(xwininfo -root -tree | grep -E '"Quorlen": \("quorlen"' | grep -v ' 1x1+' |
    awk '{print $1}' | head -1)
  [ -n "$icon" ] || { echo "no tray icon" >&2; return 1; }
  # The icon only takes a click once the pointer has entered it.
  xdotool mousemove --window "$icon" 11 11
  sleep 0.3
  xdotool mousedown "$button"; sleep 0.1; xdotool mouseup "$button"
}
