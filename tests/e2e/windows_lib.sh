# Sourced inside the sandbox after desktop.sh by the tests that go through the program's
# windows as a user would: the pointer clicks the controls where the accessibility bus
# says they are, and stand-ins for the desktop's browser and text editor note what the
# program asked them to open. Every step waits for what the user would wait for.
#   set_up_stand_ins <folder>      the recording browser and editor as the desktop's defaults
#   expect_opened <line>           waits until the stand-ins noted exactly this line last
#   click <role> <name>            clicks the program's ($pid) showing control of that name
#   answer_box <text> <button>     presses the button of the box that says the text
#   press <role> <name>            runs the control's action through the bus
#   start_blocking <data folder>   starts the program ($pid) blocking ad servers; once the
#                                  hosts file is built one ad is blocked ($first, its server)
probe=${probe:-}
fail() { echo "FAIL: $*"; shot failed; exit 1; }
tab=$'\t'

start_accessibility() {
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  # Asking once starts the bus, so the program finds it when it starts.
  /usr/bin/python3 "$probe" 1 </dev/null >/dev/null 2>&1 || true
}

set_up_stand_ins() {
  local folder=$1 apps="$HOME/.local/share/applications"
  mkdir -p "$apps"
  : > "$folder/opened.txt"
  cat > "$folder/record" <<SCRIPT
#!/bin/sh
printf '%s %s\n' "\$1" "\$2" >> "$folder/opened.txt"
SCRIPT
  chmod +x "$folder/record"
  printf '[Desktop Entry]\nType=Application\nName=Recording browser\nExec=%s browser %%u\nMimeType=text/html;x-scheme-handler/http;x-scheme-handler/https;\n' \
    "$folder/record" > "$apps/recording-browser.desktop"
  printf '[Desktop Entry]\nType=Application\nName=Recording editor\nExec=%s editor %%f\nMimeType=text/plain;\n' \
    "$folder/record" > "$apps/recording-editor.desktop"
  # What "xdg-settings set default-web-browser" writes, without its seconds-long search.
  xdg-mime default recording-browser.desktop x-scheme-handler/http x-scheme-handler/https text/html
  xdg-mime default recording-editor.desktop text/plain
  [ "$(xdg-settings get default-web-browser)" = recording-browser.desktop ] ||
    { echo "the recording browser is not the default"; return 1; }
  opened_file=$folder/opened.txt
}

last_opened_is() { [ "$(tail -1 "$opened_file" 2>/dev/null)" = "$1" ]; }

expect_opened() {
  wait_until 30 last_opened_is "$1" && return 0
  echo "expected the stand-ins to open \"$1\"; they have: $(tail -1 "$opened_file")" >&2
  shot failed-open
  return 1
}

shot() { import -window root "$out/$1.png" 2>/dev/null || true; }

# The probe answers on descriptors 8 (questions) and 9 (answers), which subshells share.
start_probe() {
  coproc PROBE { /usr/bin/python3 "$probe" "$pid"; }
  exec 8>&"${PROBE[1]}" 9<&"${PROBE[0]}"
}

ask_probe() { printf "%s\n" "$1" >&8; }

# The probe's answer to $1: its line, or with $2 "list" the lines up to the empty one, read
# whole so that a reader that stops early leaves none on the pipe. No answer within 12 s, or
# "! <why>", fails this and every later question (answers would no longer match questions).
answer_of() {
  local line all="" end why=""
  [ ! -e "$out/probe-stuck" ] || return 1
  ask_probe "$1"
  end=$(($(now_us) + 12000000))
  while :; do
    local left=$(((end - $(now_us)) / 1000))
    if ((left <= 0)) || ! IFS= read -r -t "$((left / 1000)).$(printf %03d $((left % 1000)))" line <&9; then
      why="no answer within 12 s"
    fi
    [[ $line == "! "* ]] && why=${line#! }
    if [ -n "$why" ]; then
      touch "$out/probe-stuck"
      echo "FAIL: the accessibility probe, asked \"$1\": $why" >&2
      return 1
    fi
    [ "${2:-}" = list ] || { echo "$line"; return; }
    [ -z "$line" ] && break
    all+="$line"$'\n'
  done
  printf "%s" "$all"
}

# The centre of the control and, after a tab, its window's title; "-" when it does not show.
locate() { answer_of "$1$tab$2" || echo -; }

# Moves the pointer to "<x> <y>" (the server moves it before it answers where it is): true
# when it is then over the window titled $2 or, for a menu item ($1), over an open menu (a
# pop-up above every window). A managed window has the window manager's frame over it.
point_over() {
  local X Y SCREEN WINDOW about title
  # shellcheck disable=SC2086
  eval "$(timeout 5 xdotool mousemove $3 getmouselocation --shell)"
  about=$(timeout 5 xwininfo -id "$WINDOW" -tree -stats 2>/dev/null) || return 1
  if grep -q "Override Redirect State: yes" <<<"$about"; then
    [ "$1" = "menu item" ]
    return
  fi
  title=$(sed -nE '1,3s/^xwininfo: Window id: 0x[0-9a-f]+ "(.*)"$/\1/p' <<<"$about")
  [ -n "$title" ] || title=$(sed -nE 's/^ +0x[0-9a-f]+ "(.*)": \(.*/\1/p' <<<"$about" | head -1)
  [ "$title" = "$2" ]
}

# Points at the control once it shows, in a window nothing covers (one just closed may still
# be on the screen) and that stands still (one just opened may still grow to its texts).
aim() {
  local role=$1 name=$2 at
  aimed() {
    at=$(locate "$role" "$name")
    [ "$at" != - ] && point_over "$role" "${at#*$tab}" "${at%%$tab*}" &&
      [ "$(locate "$role" "$name")" = "$at" ]
  }
  wait_until 30 aimed && return 0
  echo "no $role \"$name\" to click on the screen" >&2
  shot "missing-$(echo "$name" | tr -c 'A-Za-z0-9' _ | cut -c1-30)"
  return 1
}

click() { aim "$1" "$2" && xdotool click 1; }

menu() {
  click "menu item" "$1"
  click "menu item" "$2"
}

window_of() {
  wait_for_window "$1" 30 || { echo "no window \"$1\"" >&2; shot "no-window"; return 1; }
}

close_window() {
  local id
  id=$(window_of "$1") || return 1
  # A window just mapped may not have the focus yet when the first Alt+F4 comes.
  local attempt
  for attempt in 1 2 3; do
    xdotool windowactivate --sync "$id" key alt+F4 2>/dev/null || xdotool key alt+F4
    wait_until 10 window_gone "$1" && return 0
  done
  echo "window \"$1\" did not close" >&2
  return 1
}

# The texts the program shows right now, one "<role>|<name>" a line.
shown() { sed 's/|[^|]*$//' <<<"$(answer_of "*" list)"; }
every_control() { answer_of all list; }

press() { [ "$(answer_of "press$tab$1$tab$2")" = ok ]; }

box_says() { grep "^label|" <<<"$(shown)" | grep -qF "$1"; }
answer_box() {
  wait_until 30 box_says "$1" || fail "no box saying \"$1\""
  click "push button" "$2"
  wait_until 30 not box_says "$1" || fail "the box saying \"$1\" stayed"
}

answers_placeholder() { curl -s --http0.9 --max-time 5 -o /dev/null "http://$first/ads/1.gif"; }

start_blocking() {
  local data=$1
  mkdir -p /var/lib/quorlen "$out/tmp"; touch /var/lib/quorlen/first-start
  printf "[Settings]\r\nbBlockAdServers=True\r\nbBlockIEPopups=True\r\n" > "$program/quorlen.ini"
  TMPDIR=$out/tmp "$program/quorlen" 2>"$out/stderr.txt" &
  pid=$!
  first=$(awk "NR==1" "$data/adservers-default.txt")
  wait_until 60 grep -qxF "127.0.0.1 $first" /etc/hosts || { echo "the hosts file was not built"; return 1; }
  wait_until 30 answers_placeholder || { echo "the blocked server is not answered"; return 1; }
  start_probe
}
