# Sourced by the Wayland tests, which run as a user other than root (sway refuses root):
# a headless sway with no input devices on a runtime folder of its own, torn down when the
# calling script exits. Keys come through wtype, pictures through grim.
source "$(dirname "${BASH_SOURCE[0]}")/work.sh"
source "$(dirname "${BASH_SOURCE[0]}")/waits.sh"
start_sway() {
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
  chmod 0700 "$XDG_RUNTIME_DIR"
  # No X11 at all: whatever the program sees, it sees as a Wayland client.
  printf 'xwayland disable\noutput HEADLESS-1 resolution 1024x768\n' >"$XDG_RUNTIME_DIR/sway.conf"
  unset DISPLAY WAYLAND_DISPLAY
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$XDG_RUNTIME_DIR/sway.conf" >"$XDG_RUNTIME_DIR/sway.log" 2>&1 &
  sway_pid=$!
  trap 'kill $sway_pid 2>/dev/null || true' EXIT
  local socket=""
  sway_ready() {
    socket=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -name 'sway-ipc.*.sock' | head -1)
    [ -n "$socket" ] && [ -S "$XDG_RUNTIME_DIR/wayland-1" ]
  }
  wait_until 10 sway_ready || { echo "sway did not start:"; cat "$XDG_RUNTIME_DIR/sway.log"; return 1; }
  export WAYLAND_DISPLAY=wayland-1 SWAYSOCK=$socket XDG_SESSION_TYPE=wayland
  export QT_QPA_PLATFORM=wayland GDK_BACKEND=wayland
  # A keyboard for the whole session, before any client: one that appears later reaches a
  # client only after the compositor told it of the focus, and wtype's keys are lost.
  wtype -s 86400000 &
  keyboard_pid=$!
  trap 'kill $keyboard_pid $sway_pid 2>/dev/null || true' EXIT
  wait_until 5 has_keyboard || { echo "no virtual keyboard"; return 1; }
}

has_keyboard() { swaymsg -t get_seats | grep -q '"capabilities": [1-9]'; }

# Every window sway has, one "<1 if focused, else 0><TAB><workspace><TAB><title>" a line.
sway_windows() {
  swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node, workspace):
    if node.get("type") == "workspace": workspace = node.get("name")
    if node.get("type") in ("con", "floating_con") and not node.get("nodes"):
        print("%d\t%s\t%s" % (bool(node.get("focused")), workspace, node.get("name") or ""))
    for child in node.get("nodes", []) + node.get("floating_nodes", []): walk(child, workspace)
walk(json.load(sys.stdin), "")'
}
focused_title() { sway_windows | awk -F'\t' '$1 == 1 {print $3; exit}'; }
windows_on() { sway_windows | awk -F'\t' -v space="$1" '$2 == space {print $3}'; }

# Logs sway's window events into $1 as they come, one "<ms> <change> <title>" a line,
# so that a window's moments are known even when it lives shorter than a poll.
watch_windows() {
  swaymsg -m -r -t subscribe '["window"]' | python3 -u -c '
import json, sys, time
for line in sys.stdin:
    event = json.loads(line)
    print(int(time.time() * 1000), event["change"], event["container"].get("name") or "", flush=True)' >"$1" &
}

# When window $3 last had the change $2 ("new", "focus", "close", ...) in the log $1.
window_event_ms() {
  awk -v change="$2" -v title="$3" \
    '$2 == change && substr($0, length($1 " " $2 " ") + 1) == title { at = $1 } END { if (at) print at; else exit 1 }' "$1"
}

has_window() { sway_windows | cut -f3- | grep -qxF "$1"; }
focused_is() { [ "$(focused_title)" = "$1" ]; }
ended() { ! kill -0 "$1" 2>/dev/null; }

# Tells why: whether the program ($pid, its log $log) still runs, the focus, the screen.
fail() {
  echo "FAIL: $1"
  kill -0 "${pid:-}" 2>/dev/null || { echo "the program has ended:"; tail -5 "$log"; }
  echo "focused: \"$(focused_title)\""
  grim "$work/failed.png" 2>/dev/null || import -window root "$work/failed.png" 2>/dev/null || true
  exit 1
}

# The Wayland tests are root only to make their work folder and enter the sandbox:
#   sandboxed_as_user <staged program folder> <work folder> [file]... -- [args]
# runs "<script> --as-user <work> [args]" there as nobody on a private session bus, the work
# folder handed to that user, an earlier start on record.
sandboxed_as_user() {
  local files=()
  while [ "$1" != -- ]; do files+=("$1"); shift; done
  shift
  needs sway wtype grim setpriv dbus-run-session
  prepare_work "${files[@]}"
  exec "$(dirname "${BASH_SOURCE[0]}")/sandbox.sh" "$work" "$0" --in-sandbox "$work" "$@"
}
if [ "${1:-}" = --in-sandbox ]; then
  mkdir -p /var/lib/quorlen
  touch /var/lib/quorlen/first-start
  chown -R 65534:65534 "$2"
  exec setpriv --reuid=65534 --regid=65534 --clear-groups \
    dbus-run-session -- "$0" --as-user "${@:2}"
fi
