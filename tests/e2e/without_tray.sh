#!/usr/bin/env bash
# The program on a desktop without a tray (as stock GNOME is): headless sway, no tray
# watcher. The window stays, and its menu bar's Exit ends the program; not blocking is told
# in a desktop notification. In a second run a tray (waybar) comes later: the icon is
# registered with the tray menu, the close box hides the window, a click on the icon brings
# it back and the tray menu's Exit ends the program.
#   without_tray.sh <staged program folder> <work folder>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/sway.sh"
if [ "${1:-}" = --as-user ]; then
  work=$2 program=$2/program log=$2/stderr.txt
  source "$here/status_notifier.sh"
  start_sway
  settings_window() { swaymsg -t get_tree | grep -q '"name": "Quorlen (on '; }
  start_program() {
    start_quorlen "$log" bBlockAdServers=True bBlockIEPopups=True
    wait_until 20 grep -q "shows no system tray" "$log" || fail "no word of the tray"
  }

  # 1. No tray: the window stays after the start-up step, and Exit is in its menu bar.
  dbus-monitor "interface='org.freedesktop.Notifications',member='Notify'" >"$work/notify.txt" 2>&1 &
  monitor=$!
  start_program
  wait_until 20 grep -qF "Quorlen: ad servers are not blocked" "$work/notify.txt" ||
    fail "blocking that cannot start was not told in a desktop notification"
  kill $monitor
  settings_window || fail "the settings window went away with no tray to come back from"
  swaymsg '[title="^Quorlen \(on "] focus' >/dev/null
  wtype -M alt q -m alt   # opens the "Quorlen" menu
  # Its "&Exit Quorlen AND stop blocking ads", once the menu is open to take the key.
  exit_key() { wtype e; wait_until 0.2 ended "$pid"; }
  wait_until 20 exit_key || fail "Exit in the menu bar did not end the program"
  echo "without a tray: the window stayed and Exit ended the program"

  # 2. A tray that comes later is used.
  start_program
  mkdir -p "$HOME/.config/waybar"
  printf '{"position": "top", "height": 30, "modules-right": ["tray"], "tray": {"icon-size": 22}}\n' \
    >"$HOME/.config/waybar/config"
  waybar >"$work/waybar.log" 2>&1 &
  bar=$!
  trap 'kill $bar $keyboard_pid $sway_pid 2>/dev/null || true' EXIT
  wait_until 10 program_item "$pid" >/dev/null || fail "no icon registered with the tray"
  item=$(program_item "$pid")
  read -r service menu < <(item_menu "$item")
  entries=$(menu_entries "$service" "$menu")
  for label in "_Display Program Settings..." "_Exit Quorlen AND stop blocking ads"; do
    grep -qF "$label" <<<"$entries" || fail "the tray menu lacks \"$label\""
  done
  swaymsg '[title="^Quorlen \(on "] kill' >/dev/null   # the close box
  wait_until 5 not settings_window || fail "the close box did not hide the window to the tray"
  ended "$pid" && fail "the close box ended the program"
  item_activate "$item"
  wait_until 5 settings_window || fail "a click on the icon did not bring the window back"
  menu_click "$service" "$menu" "_Exit Quorlen AND stop blocking ads"
  wait_until 10 ended "$pid" || fail "the tray menu's Exit did not end the program"
  echo "e2e without a tray: ok"
  exit 0
fi
needs waybar gdbus
sandboxed_as_user "$1" "$2" --
