# Sourced inside the sandbox after desktop.sh by the tests that go through the program's
# windows as a user would: the pointer clicks the controls where the accessibility bus
# says they are, and stand-ins for the desktop's browser and text editor note what the
# program asked them to open.
#   start_accessibility            the accessibility bus, before the program starts
#   start_probe                    the probe of the program ($pid), once it runs
#   set_up_stand_ins <folder>      the recording browser and editor as the desktop's defaults
#   expect_opened <line>           waits until the stand-ins noted exactly this line last
#   click <role> <name>            clicks the program's ($pid) showing control of that name
#   menu <menu> <entry>            chooses an entry of the settings window's menu bar
#   tray_keys <key>...             opens the tray menu and chooses with the keyboard (the
#                                  tray menu, a pop-up of its own, is not on the bus)
#   window_of <title regex>        waits for a window and prints its id
#   close_window <title regex>     closes a window from its title bar's close box
#   shot <name>                    a screenshot into the work folder
#   start_blocking <data folder>   starts the program ($pid) blocking ad servers; once the
#                                  hosts file is built one ad is blocked ($first, its server)
#   show_settings                  the settings window from the tray; prints its id
probe=${probe:-}

start_accessibility() {
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  # Asking once starts the bus, so the program finds it when it starts.
  /usr/bin/python3 "$probe" 1 >/dev/null 2>&1 || true
}

set_up_stand_ins() {
  local folder=$1 apps="$HOME/.local/share/applications"
  mkdir -p "$apps"
  : > "$folder/opened.txt"
  cat > "$folder/record" <<SCRIPT
#!/bin/sh
# Stands in for the desktop's browser or text editor: notes what it was asked to open.
printf '%s %s\n' "\$1" "\$2" >> "$folder/opened.txt"
SCRIPT
  chmod +x "$folder/record"
  printf '[Desktop Entry]\nType=Application\nName=Recording browser\nExec=%s browser %%u\nMimeType=text/html;x-scheme-handler/http;x-scheme-handler/https;\n' \
    "$folder/record" > "$apps/recording-browser.desktop"
  printf '[Desktop Entry]\nType=Application\nName=Recording editor\nExec=%s editor %%f\nMimeType=text/plain;\n' \
    "$folder/record" > "$apps/recording-editor.desktop"
  # What "xdg-settings set default-web-browser" writes, without its search through every
  # desktop's settings (seconds).
  xdg-mime default recording-browser.desktop x-scheme-handler/http x-scheme-handler/https text/html
  xdg-mime default recording-editor.desktop text/plain
  [ "$(xdg-settings get default-web-browser)" = recording-browser.desktop ] ||
    { echo "the recording browser is not the default"; return 1; }
  opened_file=$folder/opened.txt
}

expect_opened() {
  for _ in $(seq 1 50); do
    [ "$(tail -1 "$opened_file" 2>/dev/null)" = "$1" ] && return 0
    sleep 0.1
  done
  echo "expected the stand-ins to open \"$1\"; they have: $(tail -1 "$opened_file")" >&2
  shot failed-open
  return 1
}

shot() { import -window root "$out/$1.png" 2>/dev/null || true; }

# The probe, started once the program ($pid) runs, answers on descriptors 8 (questions)
# and 9 (answers), which subshells and pipelines share.
start_probe() {
  coproc PROBE { /usr/bin/python3 "$probe" "$pid" --serve; }
  exec 8>&"${PROBE[1]}" 9<&"${PROBE[0]}"
}

ask_probe() { printf "%s\n" "$1" >&8; }

# Waits up to 4 s for the control to show and prints its centre.
where() {
  local at
  for _ in $(seq 1 20); do
    ask_probe "$1	$2"
    read -r -t 20 at <&9
    [ "$at" != "-" ] && [ -n "$at" ] && { echo "$at"; return 0; }
    sleep 0.2
  done
  echo "no $1 \"$2\" on the screen" >&2
  shot "missing-$(echo "$2" | tr -c 'A-Za-z0-9' _ | cut -c1-30)"
  return 1
}

# Moves the pointer to "<x> <y>"; xdotool would wait for a move that never comes when
# the pointer is there already.
point_at() {
  local X Y SCREEN WINDOW
  eval "$(xdotool getmouselocation --shell)"
  # shellcheck disable=SC2086
  [ "$X $Y" = "$1" ] || xdotool mousemove --sync $1
}

click() {
  local at
  at=$(where "$1" "$2") || return 1
  point_at "$at"
  xdotool click 1
  sleep 0.2
}

double_click() {
  local at
  at=$(where "$1" "$2") || return 1
  point_at "$at"
  xdotool click --repeat 2 --delay 80 1
  sleep 0.2
}

menu() {
  click "menu item" "$1"
  click "menu item" "$2"
}

tray_keys() {
  click_tray_icon 3
  sleep 1
  xdotool key --delay 60 "$@"
  sleep 0.3
}

window_of() {
  wait_for_window "$1" 20 || { echo "no window \"$1\"" >&2; shot "no-window"; return 1; }
}

close_window() {
  local id
  id=$(window_of "$1") || return 1
  xdotool windowactivate --sync "$id" 2>/dev/null || true
  xdotool key alt+F4
  for _ in $(seq 1 50); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  echo "window \"$1\" did not close" >&2
  return 1
}

# The texts the program shows right now, one "<role>|<name>" a line.
shown() {
  local line all=""
  ask_probe "*"
  # Every answer is read before anything is written, so a reader that stops early
  # leaves no answer behind on the pipe.
  while read -r -t 20 line <&9; do
    [ -z "$line" ] && break
    all+="${line%|*}"$'\n'
  done
  printf "%s" "$all"
}

# True when the program shows a control of this role and name right now.
shows() {
  local now
  now=$(shown)
  grep -qxF "$1|$2" <<<"$now"
}

# Waits for a message box showing a text that holds $1, then presses its button $2.
answer_box() {
  local text=$1 button=$2
  local now
  for _ in $(seq 1 50); do
    now=$(shown)
    grep "^label|" <<<"$now" | grep -qF "$text" && { click "push button" "$button"; return 0; }
    sleep 0.2
  done
  echo "no box saying \"$text\"" >&2
  shot "no-box"
  return 1
}

start_blocking() {
  local data=$1
  mkdir -p /var/lib/quorlen "$out/tmp"; touch /var/lib/quorlen/first-start
  printf "[Settings]\r\nbBlockAdServers=True\r\nbBlockIEPopups=True\r\n" > "$program/quorlen.ini"
  TMPDIR=$out/tmp "$program/quorlen" 2>"$out/stderr.txt" &
  pid=$!
  first=$(awk "NR==1" "$data/adservers-default.txt")
  for _ in $(seq 1 150); do grep -qxF "127.0.0.1 $first" /etc/hosts && break; sleep 0.1; done
  grep -qxF "127.0.0.1 $first" /etc/hosts || { echo "the hosts file was not built"; return 1; }
  for _ in $(seq 1 50); do curl -s --http0.9 -o /dev/null "http://$first/ads/1.gif" && break; sleep 0.1; done
  sleep 0.5
  start_probe
}

show_settings() {
  click_tray_icon 1
  window_of "^Quorlen \(on "
}
