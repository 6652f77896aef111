#!/usr/bin/env bash
# The staged program in a sandbox under a virtual desktop: the first start shows the
# settings window and its restart notice, SIGTERM during the notice saves the settings;
# a later start hides the window to the tray 2.5 seconds after start, and a start while it
# runs shows its settings window; --help and --version answer and touch nothing.
#   startup_exit.sh <staged program folder> <work folder>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/work.sh"
prepare_work "$1" "$2"
exec "$here/sandbox.sh" "$work" bash -c '
  set -euo pipefail
  source "$1/desktop.sh"
  program=$2/program
  start_desktop
  cp /etc/hosts /tmp/hosts-before

  for option in --help --version; do
    timeout 10 "$program/quorlen" $option >"$2/out$option.txt" 2>&1 ||
      { echo "quorlen $option did not answer and end"; cat "$2/out$option.txt"; exit 1; }
  done
  grep -q -- "--version" "$2/out--help.txt" && grep -q "Exit Quorlen AND stop blocking ads" \
    "$2/out--help.txt" || { echo "the help names neither options nor how to stop"; exit 1; }
  grep -qx "Quorlen [0-9]*\.[0-9]*\.[0-9]*" "$2/out--version.txt" ||
    { echo "no version:"; cat "$2/out--version.txt"; exit 1; }
  cmp -s /etc/hosts /tmp/hosts-before && [ ! -e "$program/quorlen.ini" ] &&
    [ ! -e "$XDG_CONFIG_HOME/autostart/Quorlen.desktop" ] ||
    { echo "--help or --version touched the system"; exit 1; }
  timeout 10 "$program/quorlen" --no-such-option 2>/dev/null &&
    { echo "an unknown option was taken"; exit 1; }

  "$program/quorlen" 2>"$2/stderr-1.txt" &
  pid=$!
  wait_for_window "^Quorlen \(on " >/dev/null || { echo "no settings window"; exit 1; }
  # 2.5 s after start the first start asks about banner ads when the default browser is
  # one the program follows, then shows its restart notice; either waits for the user.
  wait_for_window "^(Quorlen|Block banner ads\?)$" >/dev/null || { echo "no first-start box"; exit 1; }
  end_program $pid

  ini=$program/quorlen.ini
  [ -f "$ini" ] || { echo "quorlen.ini was not written"; exit 1; }
  for line in "[Settings]" "BannerSound=$program/ad.wav" "PopSound=$program/pop.wav" \
      "bMinimized=False" "bBlockAdServers=True" "bBlockIEPopups=True" "bPopSound=True"; do
    grep -qxF "$line"$'"'"'\r'"'"' "$ini" || { echo "quorlen.ini lacks: $line"; cat "$ini"; exit 1; }
  done
  # Ended before the notice was answered: not yet a completed first start.
  [ ! -e /etc/hostsqlb ] || { echo "backup made before the notice was answered"; exit 1; }

  "$program/quorlen" 2>"$2/stderr-2.txt" &
  pid=$!
  box=$(wait_for_window "^(Quorlen|Block banner ads\?)$") || { echo "no first-start box again"; exit 1; }
  if [ "$(xdotool getwindowname "$box")" = "Block banner ads?" ]; then
    key_to "$box" Return
    wait_until 30 window_gone "^Block banner ads\?$" || { echo "the banner question stayed"; exit 1; }
  fi
  notice=$(wait_for_window "^Quorlen$") || { echo "no first-start notice"; exit 1; }
  key_to "$notice" Return
  wait_until 30 test -f /var/lib/quorlen/first-start || { echo "first start not recorded"; exit 1; }
  cmp -s /etc/hostsqlb /tmp/hosts-before || { echo "no backup of the users hosts file"; exit 1; }
  end_program $pid

  "$program/quorlen" 2>"$2/stderr-3.txt" &
  pid=$!
  wait_for_window "^Quorlen \(on " >/dev/null || { echo "no settings window on a later start"; exit 1; }
  # Hidden by the delayed start-up step for good, not for a moment while it is framed.
  hidden() { holds_for 1 window_gone "^Quorlen \(on "; }
  wait_until 30 hidden || { echo "the settings window was not hidden on a later start"; exit 1; }
  # A third copy brings back the settings window, ends at once, writes nothing.
  before=$(sha256sum "$ini")
  timeout 10 "$program/quorlen" 2>/dev/null || { echo "the second copy did not end by itself"; exit 1; }
  [ "$before" = "$(sha256sum "$ini")" ] || { echo "the second copy touched quorlen.ini"; exit 1; }
  shown=$(wait_for_window "^Quorlen \(on ") ||
    { echo "a second start did not bring the settings window back"; exit 1; }
  # Esc hides it to the tray again, as its close box does.
  key_to "$shown" Escape
  wait_until 30 window_gone "^Quorlen \(on " || { echo "Esc did not hide the settings window"; exit 1; }
  timeout 10 "$program/quorlen" --version | grep -q "^Quorlen " ||
    { echo "--version while running said nothing"; exit 1; }
  end_program $pid
  grep -qxF "bMinimized=True"$'"'"'\r'"'"' "$ini" || { echo "hidden window not saved"; exit 1; }

  # A program folder the program cannot write to: it runs, ends cleanly, writes nothing.
  cp -a "$program" "$2/readonly"
  rm -f "$2/readonly/quorlen.ini"
  mount --bind "$2/readonly" "$2/readonly" && mount -o remount,ro,bind "$2/readonly"
  "$2/readonly/quorlen" 2>"$2/stderr-ro.txt" &
  pid=$!
  wait_for_window "^Quorlen \(on " >/dev/null || { echo "no window from a read-only folder"; exit 1; }
  # Through the delayed start-up step, which hides the window, it keeps running.
  wait_until 30 hidden || { echo "no delayed step in a read-only folder"; exit 1; }
  kill -0 $pid || { echo "the program died in a read-only folder"; exit 1; }
  end_program $pid
  [ ! -e "$2/readonly/quorlen.ini" ] || { echo "wrote into a read-only folder"; exit 1; }
  echo "e2e start-up and exit: ok"
' e2e "$here" "$work"
